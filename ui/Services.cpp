#include "ui/Services.h"

#include "files/OperatingSystem.h"

namespace tovask::ui {

std::filesystem::path Services::programFolder() const {
    return os::executableFolder();
}

} // namespace tovask::ui
