#include "ui/Services.h"

#include "files/OperatingSystem.h"

namespace tovask::ui {

std::filesystem::path Services::programFolder() const {
    // The executable does not move while it runs: looked up once.
    static const std::filesystem::path folder = os::executableFolder();
    return folder;
}

} // namespace tovask::ui
