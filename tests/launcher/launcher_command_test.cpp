#include "launcher/launcher_command.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace chronivo {
namespace {

struct ArgumentsCase {
    const char* what;
    std::wstring_view commandLine;
    std::wstring_view arguments;
};

const ArgumentsCase kArgumentsCases[] = {
    // How Screen Saver Settings starts a saver: its path in quotes, or bare, then the mode.
    {"quoted name with spaces, /s", LR"("C:\Program Files\Chronivo\Chronivo.scr" /s)", L"/s"},
    {"quoted name, preview with a window", LR"("C:\WINDOWS\system32\Chronivo.scr" /p 1234)",
     L"/p 1234"},
    {"bare name, dialog owned by a window", LR"(C:\WINDOWS\system32\CHRONI~1.SCR /c:5678)",
     L"/c:5678"},
    {"bare short name, upper-case mode", L"Chronivo.scr /S", L"/S"},
    // Nothing after the name.
    {"bare name alone", L"Chronivo.scr", L""},
    {"quoted name alone", LR"("C:\Program Files\Chronivo.scr")", L""},
    {"name and blanks only", L"Chronivo.scr  \t ", L""},
    {"empty command line", L"", L""},
    // A quoted name ends at its closing quote only when a blank follows; the text runs on.
    {"quotes inside the name", LR"(C:\"Program Files"\Chronivo.scr /c)", L"/c"},
    {"quoted part then more name", LR"("C:\Program Files"\Chronivo.scr /p 42)", L"/p 42"},
    {"unclosed quote swallows all", LR"("C:\Program Files\Chronivo.scr /s)", L""},
    // Tabs separate like spaces; the arguments keep their own blanks and tabs.
    {"tab after the name", L"Chronivo.scr\t/s", L"/s"},
    {"spaces and tabs after the name", L"Chronivo.scr \t  /p\t99", L"/p\t99"},
    {"tab inside a quoted name", L"\"Chro\tnivo.scr\" /c", L"/c"},
    {"trailing blanks kept", L"Chronivo.scr /c  ", L"/c  "},
    {"quotes in the arguments kept", LR"(x.scr /c "a b")", LR"(/c "a b")"},
};

TEST(ArgumentsAfterProgram, KeepsTheRawTextAfterTheName) {
    for (const ArgumentsCase& c : kArgumentsCases) {
        EXPECT_EQ(std::wstring(ArgumentsAfterProgram(c.commandLine)), std::wstring(c.arguments))
            << c.what;
    }
}

struct ProgramCase {
    const char* what;
    std::wstring_view folder;
    std::wstring_view program;
};

const ProgramCase kProgramCases[] = {
    {"plain folder", LR"(C:\Program Files\Chronivo)", LR"(C:\Program Files\Chronivo\Chronivo.scr)"},
    {"folder ending in a backslash", LR"(C:\Program Files\Chronivo\)",
     LR"(C:\Program Files\Chronivo\Chronivo.scr)"},
    {"folder ending in a slash", L"D:/Apps/", L"D:/Apps/Chronivo.scr"},
    {"drive root", LR"(D:\)", LR"(D:\Chronivo.scr)"},
    {"empty folder", L"", L"Chronivo.scr"},
};

TEST(ProgramInFolder, JoinsWithOneSeparator) {
    for (const ProgramCase& c : kProgramCases) {
        EXPECT_EQ(ProgramInFolder(c.folder), std::wstring(c.program)) << c.what;
    }
}

struct ChildCase {
    const char* what;
    std::wstring_view program;
    std::wstring_view arguments;
    std::wstring_view commandLine;
};

const ChildCase kChildCases[] = {
    {"saver", LR"(C:\Program Files\Chronivo\Chronivo.scr)", L"/s",
     LR"("C:\Program Files\Chronivo\Chronivo.scr" /s)"},
    {"preview", LR"(C:\A B\Chronivo.scr)", L"/p 1234", LR"("C:\A B\Chronivo.scr" /p 1234)"},
    {"owned dialog", LR"(C:\A\Chronivo.scr)", L"/c:5678", LR"("C:\A\Chronivo.scr" /c:5678)"},
    {"no arguments: no trailing blank", LR"(C:\A\Chronivo.scr)", L"", LR"("C:\A\Chronivo.scr")"},
    {"tabs passed on", LR"(C:\A\Chronivo.scr)", L"/p\t7", L"\"C:\\A\\Chronivo.scr\" /p\t7"},
};

TEST(ChildCommandLine, QuotesTheProgramAndAddsTheArguments) {
    for (const ChildCase& c : kChildCases) {
        EXPECT_EQ(ChildCommandLine(c.program, c.arguments), std::wstring(c.commandLine)) << c.what;
    }
}

// What the saver receives is what the launcher received: the child's line, read back as the
// saver's C runtime reads it, gives the same arguments for every command line above.
TEST(LauncherRoundTrip, TheSaverReadsTheSameArguments) {
    for (const ArgumentsCase& c : kArgumentsCases) {
        const std::wstring_view arguments = ArgumentsAfterProgram(c.commandLine);
        const std::wstring child =
            ChildCommandLine(LR"(C:\Program Files\Chronivo\Chronivo.scr)", arguments);
        EXPECT_EQ(std::wstring(ArgumentsAfterProgram(child)), std::wstring(arguments)) << c.what;
    }
}

} // namespace
} // namespace chronivo
