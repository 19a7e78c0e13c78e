# chronivo_wayland_protocols(TARGET xml ...): the client glue of Wayland protocols, made from their
# XML by wayland-scanner (a header <name>-client-protocol.h and the C code), built into TARGET.
find_package(PkgConfig REQUIRED)
pkg_check_modules(WAYLAND_CLIENT REQUIRED IMPORTED_TARGET wayland-client)
pkg_get_variable(WAYLAND_SCANNER wayland-scanner wayland_scanner)
pkg_get_variable(WAYLAND_PROTOCOLS_DIR wayland-protocols pkgdatadir)
enable_language(C)

function(chronivo_wayland_protocols target)
    foreach(xml ${ARGN})
        get_filename_component(base ${xml} NAME_WE)
        set(header ${CMAKE_CURRENT_BINARY_DIR}/${base}-client-protocol.h)
        set(code ${CMAKE_CURRENT_BINARY_DIR}/${base}-protocol.c)
        add_custom_command(OUTPUT ${header} ${code}
                           COMMAND ${WAYLAND_SCANNER} client-header ${xml} ${header}
                           COMMAND ${WAYLAND_SCANNER} private-code ${xml} ${code}
                           DEPENDS ${xml} VERBATIM)
        target_sources(${target} PRIVATE ${header} ${code})
    endforeach()
    target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR})
    target_link_libraries(${target} PRIVATE PkgConfig::WAYLAND_CLIENT)
endfunction()
