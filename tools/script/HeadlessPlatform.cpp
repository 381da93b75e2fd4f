#include "tools/script/HeadlessPlatform.h"

#include <utility>

namespace tovask::script {

HeadlessPlatform::HeadlessPlatform(std::filesystem::path programFolder)
    : programFolder_(std::move(programFolder)) {}

void HeadlessPlatform::showMessage(const std::string& title, const std::string& text) {
    messages_.push_back({title, text});
}

std::vector<Message> HeadlessPlatform::takeMessages() {
    return std::exchange(messages_, {});
}

} // namespace tovask::script
