#pragma once

#include <string>
#include <string_view>

namespace chronivo {

// The command-line text of the small program that Windows finds in its system folder and that
// starts the installed Chronivo.scr with the same arguments. Plain text work, no system calls.

// The raw text after the program's name in a process's command line (GetCommandLineW), as
// Windows' C runtime reads it: the name ends at the first space or tab outside double quotes,
// and the blanks after it are skipped. What follows is kept as it is ("/p 1234", "/c:5678",
// trailing blanks); empty when there is nothing after the name.
std::wstring_view ArgumentsAfterProgram(std::wstring_view commandLine);

// The program Chronivo.scr in folder `folder`, which may end with a backslash or not.
std::wstring ProgramInFolder(std::wstring_view folder);

// The command line that starts `program` (a full path, which holds no double quote) with the
// raw argument text `arguments`: the path in double quotes, then one space and the arguments
// when there are any.
std::wstring ChildCommandLine(std::wstring_view program, std::wstring_view arguments);

} // namespace chronivo
