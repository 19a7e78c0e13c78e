# The Debian package, made by CPack from the install rules: `make deb`, or `cpack -G DEB` in a
# configured build directory. dpkg-shlibdeps (package dpkg-dev) finds the shared libraries the
# programs link. Besides them only the tz database is declared, which the world-time labels read
# their cities' zones from: Qt's X11 and offscreen platform plugins ship in libqt6gui6, and its
# fontconfig dependency brings a font.
set(CHRONIVO_PACKAGE_MAINTAINER "Chronivo developers <chronivo@example.org>"
    CACHE STRING "Maintainer field of the Debian package")

# Debian wants a changelog with every package; ours names the version and the build date
# (SOURCE_DATE_EPOCH, when set, makes that date reproducible).
string(TIMESTAMP CHRONIVO_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${CHRONIVO_RES_DIR}/changelog.in ${CHRONIVO_RES_BINARY_DIR}/changelog @ONLY)
if(CHRONIVO_GZIP)
    execute_process(COMMAND ${CHRONIVO_GZIP} -9 -n -c ${CHRONIVO_RES_BINARY_DIR}/changelog
                    OUTPUT_FILE ${CHRONIVO_RES_BINARY_DIR}/changelog.gz
                    RESULT_VARIABLE gzip_result)
    if(gzip_result EQUAL 0)
        install(FILES ${CHRONIVO_RES_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
    endif()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME chronivo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${CHRONIVO_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "full-screen date-and-time screen saver")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # chronivo_<version>_<architecture>.deb
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CHRONIVO_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS tzdata) # the libraries dpkg-shlibdeps finds are added to it
# Qt's Wayland platform plugin, for the saver in Wayland sessions; X11 sessions do without it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-wayland)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver | mate-screensaver")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Chronivo turns the whole screen into a large date-and-time display: the
weekday, the date and the time of day in text fitted to the screen, over one
colour that moves slowly round a six-colour rainbow or over drifting rainbow
stripes. It can add a countdown to the start of the year, the next new year,
Christmas or a date of your own, or show the time in up to ten world cities
instead of the clock.

It runs full screen by itself (chronivo /s), as an XScreenSaver hack
(chronivo --root) and from MATE's screen saver list. A small settings dialog
(chronivo /c, or Chronivo in the settings menu) chooses what it shows.")

include(CPack)
