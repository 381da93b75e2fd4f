// The entry of one libFuzzer target; TOVASK_FUZZ_TARGET names its function in fuzz/Targets.h.
#include "fuzz/Targets.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tovask::fuzz::TOVASK_FUZZ_TARGET(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
