#include "tools/console/Page.h"

#include "tools/console/PageFiles.h"

namespace tovask::console {

std::string pageHtml(const std::string& token) {
    // The token is hexadecimal digits: nothing in it needs escaping.
    constexpr std::string_view kPlaceholder = "@TOKEN@";
    std::string html(page::kIndexHtml);
    for (std::size_t at; (at = html.find(kPlaceholder)) != std::string::npos;)
        html.replace(at, kPlaceholder.size(), token);
    return html;
}

std::string_view pageScript() {
    return page::kConsoleJs;
}

std::string_view pageStyle() {
    return page::kConsoleCss;
}

} // namespace tovask::console
