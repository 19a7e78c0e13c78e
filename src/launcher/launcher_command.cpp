#include "launcher/launcher_command.h"

namespace chronivo {

namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

} // namespace

std::wstring_view ArgumentsAfterProgram(std::wstring_view commandLine) {
    // A double quote anywhere in the name turns quoting on or off, so that both
    // "C:\Program Files\x.scr" and C:\"Program Files"\x.scr are one name.
    bool quoted = false;
    std::size_t i = 0;
    for (; i < commandLine.size(); ++i) {
        const wchar_t c = commandLine[i];
        if (c == L'"') {
            quoted = !quoted;
        } else if (!quoted && IsBlank(c)) {
            break;
        }
    }
    while (i < commandLine.size() && IsBlank(commandLine[i])) {
        ++i;
    }
    return commandLine.substr(i);
}

std::wstring ProgramInFolder(std::wstring_view folder) {
    std::wstring program(folder);
    if (!program.empty() && program.back() != L'\\' && program.back() != L'/') {
        program += L'\\';
    }
    program += L"Chronivo.scr";
    return program;
}

std::wstring ChildCommandLine(std::wstring_view program, std::wstring_view arguments) {
    std::wstring line;
    line.reserve(program.size() + arguments.size() + 3);
    line += L'"';
    line += program;
    line += L'"';
    if (!arguments.empty()) {
        line += L' ';
        line += arguments;
    }
    return line;
}

} // namespace chronivo
