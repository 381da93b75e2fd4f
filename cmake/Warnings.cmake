# Warnings and sanitizers travel as INTERFACE targets linked PRIVATE into every target of ours,
# so third-party code (Qt, GoogleTest) is never compiled with them.
add_library(tovask_warnings INTERFACE)
target_compile_options(tovask_warnings INTERFACE
    -Wall            # the common set
    -Wextra          # unused parameters, sign compare and friends
    -Wpedantic       # no compiler extensions: the sources must build with other compilers
    -Wshadow)        # a local hiding a member is a classic stage-machine bug
# GCC 12 reports false -Wrestrict overlaps in std::string's operator+ when it inlines at -O3
# (GCC bug 105651); the warning says nothing about our code there.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(tovask_warnings INTERFACE -Wno-restrict)
endif()
if(TOVASK_WERROR)
    target_compile_options(tovask_warnings INTERFACE -Werror)
endif()

add_library(tovask_sanitizers INTERFACE)
if(TOVASK_SANITIZE)
    target_compile_options(tovask_sanitizers INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(tovask_sanitizers INTERFACE -fsanitize=address,undefined)
endif()

# Every target of the project links this one PRIVATE: what it carries never reaches a target
# through another.
add_library(tovask_options INTERFACE)
target_link_libraries(tovask_options INTERFACE tovask_warnings tovask_sanitizers)
target_compile_features(tovask_options INTERFACE cxx_std_20)
