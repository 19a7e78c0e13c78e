# What `cmake --install` lays out for Windows, all in one folder: Chronivo.scr, the launcher that
# the installer copies to the system folder (ChronivoSettings.exe), the Qt and C++ runtime DLLs
# the programs load, Qt's platform and style plugins under plugins\, the licences and a
# README.txt. scripts/package-windows.sh makes the installer and the zip from it.
# Included from the top-level CMakeLists.txt after every program target is defined.

install(TARGETS chronivo RUNTIME DESTINATION .)
install(TARGETS chronivo_launcher RUNTIME DESTINATION .)

# Qt's plugins for the program: the Windows platform (without it nothing shows) and, when this
# Qt has it, the native style (Qt 6.7 renamed it).
set(chronivo_qt_plugins Qt6::QWindowsIntegrationPlugin)
foreach(style IN ITEMS Qt6::QWindowsVistaStylePlugin Qt6::QModernWindowsStylePlugin)
    if(TARGET ${style})
        list(APPEND chronivo_qt_plugins ${style})
    endif()
endforeach()
set(chronivo_plugin_files "")
foreach(plugin IN LISTS chronivo_qt_plugins)
    get_target_property(type ${plugin} QT_PLUGIN_TYPE)
    install(FILES $<TARGET_FILE:${plugin}> DESTINATION plugins/${type})
    string(APPEND chronivo_plugin_files " \"$<TARGET_FILE:${plugin}>\"")
endforeach()
# No qt.conf: a Qt whose DLLs sit beside the program, with no import libraries in ..\lib,
# takes the program's folder as its prefix and so finds plugins\ there.

# The DLLs come from the import tables of the program and the plugins, read at install time by
# cmake/WindowsDlls.cmake and followed through Qt's folder and the compiler's runtime.
set(chronivo_dll_dirs "$<TARGET_FILE_DIR:Qt6::Core>")
if(NOT MSVC)
    foreach(runtime IN ITEMS libstdc++-6.dll libwinpthread-1.dll)
        execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime}
                        OUTPUT_VARIABLE runtime_path OUTPUT_STRIP_TRAILING_WHITESPACE)
        if(IS_ABSOLUTE "${runtime_path}")
            get_filename_component(runtime_dir "${runtime_path}" DIRECTORY)
            list(APPEND chronivo_dll_dirs ${runtime_dir})
        endif()
    endforeach()
endif()
list(REMOVE_DUPLICATES chronivo_dll_dirs)
if(CMAKE_OBJDUMP)
    install(CODE "
        set(CHRONIVO_OBJDUMP \"${CMAKE_OBJDUMP}\")
        set(CHRONIVO_DLL_USERS \"$<TARGET_FILE:chronivo>\" ${chronivo_plugin_files})
        set(CHRONIVO_DLL_DIRS \"${chronivo_dll_dirs}\")
    ")
    install(SCRIPT ${CMAKE_CURRENT_LIST_DIR}/WindowsDlls.cmake)
else()
    # Visual C++ has no objdump; Qt's windeployqt copies the DLLs there.
    install(CODE "message(STATUS \"Qt's DLLs are not installed: run windeployqt on the \"
                                 \"installed Chronivo.scr\")")
endif()

# Our licence, Qt's (the LGPL 3, which builds on the GPL 3; Debian keeps both texts) and a
# README.txt that says what is what.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
set(chronivo_licence_dir /usr/share/common-licenses)
if(EXISTS ${chronivo_licence_dir}/LGPL-3 AND EXISTS ${chronivo_licence_dir}/GPL-3)
    install(FILES ${chronivo_licence_dir}/LGPL-3 DESTINATION . RENAME LICENSE.Qt-LGPL-3.txt)
    install(FILES ${chronivo_licence_dir}/GPL-3 DESTINATION . RENAME LICENSE.GPL-3.txt)
else()
    message(WARNING "No ${chronivo_licence_dir}/LGPL-3 and GPL-3 here: the install lacks Qt's "
                    "licence texts, which must ship with Qt's DLLs")
endif()
configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/README.txt.in
               ${PROJECT_BINARY_DIR}/packaging/README.txt @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/packaging/README.txt DESTINATION .)

# scripts/package-windows.sh names the installer and the zip by this version.
file(WRITE ${PROJECT_BINARY_DIR}/packaging/version.txt "${PROJECT_VERSION}")
