# What `cmake --install` puts where: both programs, the XScreenSaver hack files, the desktop
# entries, the idle watcher's systemd user unit, the icon, the manual pages and the licence.
# Included from the top-level CMakeLists.txt after every program target is defined.
include(GNUInstallDirs)

set(CHRONIVO_RES_DIR ${PROJECT_SOURCE_DIR}/src/res)
set(CHRONIVO_RES_BINARY_DIR ${PROJECT_BINARY_DIR}/res)

install(TARGETS chronivo chronivo-render RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The programs' directory as install-time code names it: under the prefix the install runs with
# (cpack installs under /usr whatever the build was configured for), unless set absolute.
if(IS_ABSOLUTE "${CMAKE_INSTALL_BINDIR}")
    set(chronivo_install_bindir "${CMAKE_INSTALL_BINDIR}")
else()
    set(chronivo_install_bindir "\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}")
endif()
# A stripped install (`cmake --install --strip`, and so every package) also drops the
# compiler's notes, as Debian strips its own programs; the rules above have stripped the symbols.
install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
        foreach(program IN ITEMS $<TARGET_FILE_NAME:chronivo> $<TARGET_FILE_NAME:chronivo-render>)
            set(file \"\$ENV{DESTDIR}${chronivo_install_bindir}/\${program}\")
            execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment
                                    --remove-section=.note \"\${file}\"
                            RESULT_VARIABLE result)
            if(NOT result EQUAL 0)
                message(FATAL_ERROR \"cannot strip the notes from \${file}\")
            endif()
        endforeach()
    endif()
")

# XScreenSaver: the settings window reads the description from config/, and the daemon looks for
# hacks in libexec/xscreensaver/ before PATH; xsecurelock's saver_xscreensaver module looks for
# them in lib/xscreensaver/ (its default XSECURELOCK_XSCREENSAVER_PATH on Debian). The hack in
# each is a relative link to the one program, so every name always runs the same binary.
install(FILES ${CHRONIVO_RES_DIR}/chronivo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/xscreensaver/config)
foreach(hack_dir IN ITEMS ${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver lib/xscreensaver)
    file(RELATIVE_PATH hack_link ${CMAKE_INSTALL_PREFIX}/${hack_dir}
         ${CMAKE_INSTALL_FULL_BINDIR}/chronivo)
    install(CODE "
        set(dir \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${hack_dir}\")
        message(STATUS \"Installing: \${dir}/chronivo -> ${hack_link}\")
        file(MAKE_DIRECTORY \"\${dir}\")
        file(CREATE_LINK \"${hack_link}\" \"\${dir}/chronivo\" SYMBOLIC)
    ")
endforeach()

# MATE's screen saver runs hacks only from folders under /usr (/usr/libexec/xscreensaver,
# /usr/lib/xscreensaver, /usr/lib/mate-screensaver), whatever the path it is given, so the links
# above serve it only when the prefix is /usr. Elsewhere the install says what MATE needs, rather
# than writing outside the prefix.
install(CODE "
    if(NOT CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
        message(STATUS \"Note: MATE's screen saver runs hacks only from folders under /usr. To choose \"
                       \"Chronivo there, run: sudo mkdir -p /usr/libexec/xscreensaver && sudo ln -sf \"
                       \"${chronivo_install_bindir}/chronivo /usr/libexec/xscreensaver/chronivo\")
    endif()
")

# The idle watcher as a systemd user service. Its ExecStart names the program by its full path
# under the prefix the install runs with (cpack installs under /usr whatever the build was
# configured for), so the file is made at install time, below DESTDIR like every other file.
install(CODE "
    set(CHRONIVO_INSTALL_BINDIR \"${chronivo_install_bindir}\")
    set(unit \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/lib/systemd/user/chronivo-daemon.service\")
    message(STATUS \"Installing: \${unit}\")
    configure_file(\"${CHRONIVO_RES_DIR}/chronivo-daemon.service.in\" \"\${unit}\" @ONLY
                   FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
")

# MATE's saver list reads applications/screensavers/; the plain entry opens the settings dialog.
install(FILES ${CHRONIVO_RES_DIR}/chronivo-saver.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications/screensavers
        RENAME chronivo.desktop)
install(FILES ${CHRONIVO_RES_DIR}/chronivo.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CHRONIVO_RES_DIR}/chronivo.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Manual pages: the version filled in, then compressed without a time stamp (as Debian packages
# want them) when gzip is there; man reads both forms.
find_program(CHRONIVO_GZIP gzip)
foreach(page IN ITEMS chronivo chronivo-render)
    set(page_file ${CHRONIVO_RES_BINARY_DIR}/${page}.1)
    configure_file(${CHRONIVO_RES_DIR}/${page}.1.in ${page_file} @ONLY)
    if(CHRONIVO_GZIP)
        execute_process(COMMAND ${CHRONIVO_GZIP} -9 -n -c ${page_file}
                        OUTPUT_FILE ${page_file}.gz
                        RESULT_VARIABLE gzip_result)
        if(gzip_result EQUAL 0)
            set(page_file ${page_file}.gz)
        endif()
    endif()
    install(FILES ${page_file} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

# The licence, in Debian's machine-readable form (MIT is called Expat there).
install(FILES ${CHRONIVO_RES_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

include(${CMAKE_CURRENT_LIST_DIR}/Package.cmake)
