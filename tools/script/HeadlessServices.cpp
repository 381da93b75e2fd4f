#include "tools/script/HeadlessServices.h"

#include <utility>

namespace tovask::script {

HeadlessServices::HeadlessServices(std::filesystem::path programFolder)
    : programFolder_(std::move(programFolder)) {}

void HeadlessServices::showMessage(const std::string& title, const std::string& text) {
    messages_.push_back({title, text});
}

bool HeadlessServices::ask(const std::string& title, const std::string& text) {
    showMessage(title, text);
    return true;
}

std::vector<Message> HeadlessServices::takeMessages() {
    return std::exchange(messages_, {});
}

} // namespace tovask::script
