# The Windows build: self-contained programs, and (cross-compiled on Linux) Wine to run them.

# The GCC and C++ runtimes and winpthread are linked into every program, so a program imports
# only DLLs that every Windows PC has and runs from a folder copied to it.
target_link_options(tovask_options INTERFACE -static)
# <windows.h> as every Windows source of ours uses it: the Unicode (W) functions under their
# plain names, no rarely used headers, and no min and max macros.
target_compile_definitions(tovask_options INTERFACE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)

if(NOT CMAKE_CROSSCOMPILING)
    return()
endif()

# wine-run runs a program of this build under Wine, in a Wine prefix of its own inside the build
# folder (never the user's ~/.wine), with an X display of its own (Xvfb).
find_program(TOVASK_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH REQUIRED)
find_program(TOVASK_WINESERVER NAMES wineserver wineserver64 PATHS /usr/lib/wine
             NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(TOVASK_WINEPREFIX ${PROJECT_BINARY_DIR}/wine-prefix)
set(TOVASK_XVFB_FIRST_DISPLAY 90 CACHE STRING "The first X display number wine-run tries")
configure_file(${PROJECT_SOURCE_DIR}/tools/windows/wine-run.in ${PROJECT_BINARY_DIR}/wine-run
               @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
               GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

if(TOVASK_BUILD_TESTS)
    # The host's GoogleTest is built for Linux: Debian's googletest package ships its source,
    # which is built here with the cross compiler (it names its targets GTest::gtest and
    # GTest::gtest_main).
    set(TOVASK_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH
        "GoogleTest's source (Debian: googletest)")
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(${TOVASK_GOOGLETEST_SOURCE} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    # Every test runs its program under Wine.
    set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_BINARY_DIR}/wine-run)
endif()
