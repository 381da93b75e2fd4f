#pragma once
// The console's page, served from the program itself: plain HTML, CSS and JavaScript (page/),
// built into the program, so it needs no network and no file beside the program.

#include <string>
#include <string_view>

namespace tovask::console {

// The page, with the token its script and style sheet are asked for with.
std::string pageHtml(const std::string& token);
std::string_view pageScript();
std::string_view pageStyle();

} // namespace tovask::console
