# Run by `cmake --install` (cmake/Windows.cmake sets what it reads): copies into the install
# prefix the DLLs that CHRONIVO_DLL_USERS (programs and plugins) import, found in the folders
# CHRONIVO_DLL_DIRS, and then the DLLs those import in turn. The import tables are read with
# CHRONIVO_OBJDUMP. Names match regardless of case, as on Windows (the tables say Qt6Core.dll,
# KERNEL32.dll); a DLL that none of the folders holds is the system's own and is left out.

# cmake_install.cmake sets no policies of its own.
cmake_policy(PUSH)
cmake_policy(VERSION 3.25)

# dll_<lower-case name>: the path of each DLL the folders hold, the first folder winning.
foreach(dir IN LISTS CHRONIVO_DLL_DIRS)
    file(GLOB dlls LIST_DIRECTORIES false "${dir}/*")
    foreach(path IN LISTS dlls)
        get_filename_component(name "${path}" NAME)
        string(TOLOWER "${name}" key)
        if(key MATCHES "\\.dll$" AND NOT DEFINED "dll_${key}")
            set("dll_${key}" "${path}")
        endif()
    endforeach()
endforeach()

set(pending ${CHRONIVO_DLL_USERS})
set(seen "")
set(shipped "")
set(system "")
while(pending)
    list(POP_FRONT pending user)
    execute_process(COMMAND "${CHRONIVO_OBJDUMP}" -p "${user}" OUTPUT_VARIABLE dump
                    RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "cannot read the imports of ${user}")
    endif()
    string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${dump}")
    foreach(import IN LISTS imports)
        string(REGEX REPLACE "^DLL Name: *" "" name "${import}")
        string(STRIP "${name}" name)
        string(TOLOWER "${name}" key)
        if(key IN_LIST seen)
            continue()
        endif()
        list(APPEND seen "${key}")
        if(DEFINED "dll_${key}")
            list(APPEND shipped "${dll_${key}}")
            list(APPEND pending "${dll_${key}}")
        else()
            list(APPEND system "${name}")
        endif()
    endforeach()
endwhile()

list(SORT system CASE INSENSITIVE)
list(JOIN system " " system)
message(STATUS "The system's own DLLs, not installed: ${system}")
file(INSTALL ${shipped} DESTINATION "${CMAKE_INSTALL_PREFIX}")

cmake_policy(POP)
