# Installation and the Debian package.
#
# The programs find data/ beside themselves, so they are installed together into one program
# folder with data/ in it; everything else only points there:
#
#   <prefix>/lib/tovask/            tovask, tovask-script, tovask-check, tovask-recover,
#                                   tovask-report
#   <prefix>/lib/tovask/data/       word files, logo, sample problem files; results land here
#   <prefix>/bin/                   links to the programs (they resolve the link to find data/)
#   <prefix>/share/applications/tovask.desktop     the menu entry
#   <prefix>/share/icons/hicolor/{128x128,256x256}/apps/tovask.png
#   <prefix>/share/tovask/pilot/    the pilot scripts and the example analysis
#   <prefix>/share/doc/tovask/      the lab guide, what to do if something goes wrong, and
#                                   tovask-script.md (the script language of the pilots)
#
# On Windows the prefix itself is the program folder: tovask.exe and the tools (tovask-report
# among them, which writes its report as HTML there) beside data\, with pilot\, doc\ and
# README.txt beside them; cpack (in build-windows/) zips that folder.
#
# cmake --install build --prefix ~/.local    one lab account: data/ is the account's own, and the
#                                            menu finds the entry in ~/.local/share/applications
# cpack -G DEB (in build/)                   the system-wide package, prefix /usr. /usr must stay
#                                            read-only, so there data/ is a link to
#                                            /var/lib/tovask/data, which the package's postinst
#                                            makes writable for the group tovask; the shipped
#                                            files also stay in /usr/share/tovask/data.

if(WIN32)
    set(TOVASK_APP_DIR .)
    set(TOVASK_PILOT_DIR pilot)
    set(TOVASK_DOC_DIR doc)
else()
    set(TOVASK_APP_DIR lib/tovask)
    set(TOVASK_PILOT_DIR share/tovask/pilot)
    set(TOVASK_DOC_DIR share/doc/tovask)
endif()

set(tovask_programs "")
foreach(program tovask tovask-script tovask-check tovask-recover tovask-report)
    if(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION ${TOVASK_APP_DIR})
        list(APPEND tovask_programs ${program})
    endif()
endforeach()

# The same run-time files as the build tree's data folder: no results or logs of test runs.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/ DESTINATION ${TOVASK_APP_DIR}/data
        PATTERN "out*" EXCLUDE PATTERN "*.log" EXCLUDE)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/tools/pilot/ DESTINATION ${TOVASK_PILOT_DIR}
        USE_SOURCE_PERMISSIONS)
file(GLOB tovask_guides ${PROJECT_SOURCE_DIR}/docs/*.md)
install(FILES ${tovask_guides} DESTINATION ${TOVASK_DOC_DIR})
# The events a pilot script is made of, for those who write their own.
install(FILES ${PROJECT_SOURCE_DIR}/tools/script/README.md DESTINATION ${TOVASK_DOC_DIR}
        RENAME tovask-script.md)

if(UNIX)
    foreach(size 128 256)
        install(FILES ${PROJECT_SOURCE_DIR}/packaging/icons/tovask-${size}.png
                DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME tovask.png)
    endforeach()

    # Links, the menu entry and the package's data link name the final places, known only when
    # installing (cmake --install --prefix, DESTDIR): so they are made by install code.
    install(CODE "set(tovask_app_dir \"${TOVASK_APP_DIR}\")
                  set(tovask_programs \"${tovask_programs}\")
                  set(tovask_desktop_template \"${PROJECT_SOURCE_DIR}/packaging/tovask.desktop.in\")")
    install(CODE [[
        set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
        file(MAKE_DIRECTORY "${root}/bin")
        foreach(program IN LISTS tovask_programs)
            file(CREATE_LINK "../${tovask_app_dir}/${program}" "${root}/bin/${program}" SYMBOLIC)
        endforeach()
        list(FIND tovask_programs tovask window)
        if(window GREATER -1)
            set(TOVASK_PROGRAM "${CMAKE_INSTALL_PREFIX}/${tovask_app_dir}/tovask")
            set(TOVASK_ICON "${CMAKE_INSTALL_PREFIX}/share/icons/hicolor/256x256/apps/tovask.png")
            file(READ "${tovask_desktop_template}" entry)
            string(CONFIGURE "${entry}" entry @ONLY)
            file(WRITE "${root}/share/applications/tovask.desktop" "${entry}")
        endif()
        # Set by CPack (CPACK_CUSTOM_INSTALL_VARIABLES) for the system-wide package.
        if(TOVASK_SYSTEM_DATA)
            file(MAKE_DIRECTORY "${root}/share/tovask")
            file(RENAME "${root}/${tovask_app_dir}/data" "${root}/share/tovask/data")
            file(CREATE_LINK "${TOVASK_SYSTEM_DATA}" "${root}/${tovask_app_dir}/data" SYMBOLIC)
        endif()
    ]])
endif()

set(TOVASK_PACKAGE_MAINTAINER "tovask lab support <root@localhost>" CACHE STRING
    "Maintainer named in the Debian package: the lab's own contact")
set(CPACK_PACKAGE_NAME tovask)
set(CPACK_PACKAGE_VENDOR "tovask")
set(CPACK_PACKAGE_CONTACT "${TOVASK_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Computer-based allocation experiments for the lab")
set(CPACK_PACKAGE_DESCRIPTION "tovask runs decision experiments with one subject per PC: a \
parameter screen, the instructions, up to 100 allocation problems divided with a slider, a \
results file and the playing out of one task. It comes with tovask-check (checks word and \
problem files before a session), tovask-script (plays a run headless, for piloting), \
tovask-recover and tovask-report (a session's tables, consistency measures and plots). Results \
are written to /var/lib/tovask/data, writable by the group tovask.")
if(WIN32)
    # tools/windows/build-zip: one zip that unpacks to one folder, tovask-<version>-windows-x64,
    # holding the programs, data\, the guides and README.txt for the lab.
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/windows/README.txt DESTINATION .)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME tovask-${PROJECT_VERSION}-windows-x64)
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
    set(CPACK_STRIP_FILES ON)
    include(CPack)
    return()
endif()

# Installed below DESTDIR with the final prefix, so that the install code above writes the
# final paths into the links and the menu entry.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_CUSTOM_INSTALL_VARIABLES "TOVASK_SYSTEM_DATA=/var/lib/tovask/data")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# The Qt libraries and the C++ runtime come from dpkg-shlibdeps; the postinst needs groupadd.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "passwd")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/debian/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
