#include "app/command_line.h"

#include "support/case_name.h"

#include <gtest/gtest.h>

#include <vector>

namespace chronivo {
namespace {

using test::CaseName;
using test::PrintTo;

struct ModeCase {
    const char* fact;
    QString text;
    StartMode mode;
};

class ClassifyCommandLineTest : public ::testing::TestWithParam<ModeCase> {};

TEST_P(ClassifyCommandLineTest, ChoosesTheMode) {
    EXPECT_EQ(ClassifyCommandLine(GetParam().text), GetParam().mode) << GetParam().fact;
}

constexpr StartMode kSaver = StartMode::Saver;
constexpr StartMode kParent = StartMode::ConfigWithParent;
constexpr StartMode kAlone = StartMode::ConfigWithoutParent;

INSTANTIATE_TEST_SUITE_P(
    Table, ClassifyCommandLineTest,
    ::testing::Values(
        // The three saver switches, in either letter case.
        ModeCase{"slash s", QStringLiteral("/s"), kSaver},
        ModeCase{"slash S", QStringLiteral("/S"), kSaver},
        ModeCase{"dash s", QStringLiteral("-s"), kSaver},
        ModeCase{"dash S", QStringLiteral("-S"), kSaver},
        ModeCase{"bare s", QStringLiteral("s"), kSaver},
        ModeCase{"bare S", QStringLiteral("S"), kSaver},
        // The three configuration switches: the dialog over the active window.
        ModeCase{"slash c", QStringLiteral("/c"), kParent},
        ModeCase{"slash C", QStringLiteral("/C"), kParent},
        ModeCase{"dash c", QStringLiteral("-c"), kParent},
        ModeCase{"dash C", QStringLiteral("-C"), kParent},
        ModeCase{"bare c", QStringLiteral("c"), kParent},
        ModeCase{"bare C", QStringLiteral("C"), kParent},
        // Everything else: the dialog on its own. Whole-text compares, no trimming.
        ModeCase{"empty", QString(), kAlone},
        ModeCase{"slash s and a trailing blank", QStringLiteral("/s "), kAlone},
        ModeCase{"a leading blank", QStringLiteral(" /s"), kAlone},
        ModeCase{"slash s and a tab", QStringLiteral("/s\t"), kAlone},
        ModeCase{"slash s extra", QStringLiteral("/s extra"), kAlone},
        ModeCase{"slash s glued to more text", QStringLiteral("/sx"), kAlone},
        ModeCase{"preview with a window number", QStringLiteral("/p 123"), kAlone},
        ModeCase{"preview in capitals", QStringLiteral("/P 123"), kAlone},
        ModeCase{"password change", QStringLiteral("/a"), kAlone},
        ModeCase{"password change with a window number", QStringLiteral("/a 123"), kAlone},
        ModeCase{"slash c colon window number", QStringLiteral("/c:123"), kAlone},
        ModeCase{"slash C colon window number", QStringLiteral("/C:123"), kAlone},
        ModeCase{"slash c blank window number", QStringLiteral("/c 123"), kAlone},
        ModeCase{"slash c and a trailing blank", QStringLiteral("/c "), kAlone},
        ModeCase{"two slashes", QStringLiteral("//s"), kAlone},
        ModeCase{"two dashes", QStringLiteral("--s"), kAlone},
        ModeCase{"quoted slash s", QStringLiteral("\"/s\""), kAlone},
        ModeCase{"a lone slash", QStringLiteral("/"), kAlone},
        ModeCase{"another letter", QStringLiteral("/x"), kAlone},
        // Only A to Z fold: the long s folds to "s" in Unicode but is no switch here.
        ModeCase{"slash long s", QString::fromUtf8("/\u017F"), kAlone},
        ModeCase{"bare long s", QString::fromUtf8("\u017F"), kAlone}),
    CaseName<ModeCase>);

struct CutCase {
    const char* fact;
    QString raw;
    QString text;
};

class CommandTextFromRawTest : public ::testing::TestWithParam<CutCase> {};

TEST_P(CommandTextFromRawTest, CutsTheProgramNameOff) {
    EXPECT_EQ(CommandTextFromRaw(GetParam().raw), GetParam().text) << GetParam().fact;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandTextFromRawTest,
    ::testing::Values(
        CutCase{"quoted name with blanks", QStringLiteral("\"C:\\Program Files\\Chronivo.scr\" /s"),
                QStringLiteral("/s")},
        CutCase{"unquoted name", QStringLiteral("C:\\WINDOWS\\CHRONIVO.SCR /s"),
                QStringLiteral("/s")},
        CutCase{"the text right after the closing quote", QStringLiteral("\"C:\\a b\\c.scr\"/s"),
                QStringLiteral("/s")},
        CutCase{"blanks and tabs skipped", QStringLiteral("chronivo.scr \t  \t/p 123"),
                QStringLiteral("/p 123")},
        CutCase{"control characters 1 to 32 skipped", QStringLiteral("chronivo.scr \x01\x1F /c"),
                QStringLiteral("/c")},
        CutCase{"trailing blanks kept", QStringLiteral("chronivo.scr /s  "),
                QStringLiteral("/s  ")},
        CutCase{"further arguments kept", QStringLiteral("chronivo.scr /s extra"),
                QStringLiteral("/s extra")},
        CutCase{"no arguments", QStringLiteral("chronivo.scr"), QString()},
        CutCase{"only blanks after the name", QStringLiteral("chronivo.scr   "), QString()},
        CutCase{"empty command line", QString(), QString()},
        CutCase{"an unclosed quote runs to the end", QStringLiteral("\"C:\\x.scr /s"), QString()},
        CutCase{"an empty quoted name", QStringLiteral("\"\" /c"), QStringLiteral("/c")},
        CutCase{"a quote inside an unquoted name", QStringLiteral("ch\"ron ivo /s"),
                QStringLiteral("ivo /s")},
        CutCase{"an argument in quotes keeps them", QStringLiteral("chronivo.scr \"/s\""),
                QStringLiteral("\"/s\"")},
        // Letters beyond ASCII belong to the name.
        CutCase{"non-ASCII letters in the name", QString::fromUtf8("Chronivé.scr /S"),
                QStringLiteral("/S")}),
    CaseName<CutCase>);

struct SystemCase {
    const char* fact;
    QString text;
    SystemRequest::Kind kind;
    quintptr window;
};

class ParseSystemRequestTest : public ::testing::TestWithParam<SystemCase> {};

TEST_P(ParseSystemRequestTest, ReadsTheWindowOrNothing) {
    const SystemRequest request = ParseSystemRequest(GetParam().text);
    EXPECT_EQ(request.kind, GetParam().kind) << GetParam().fact;
    EXPECT_EQ(request.window, GetParam().window) << GetParam().fact;
}

constexpr SystemRequest::Kind kNone = SystemRequest::Kind::None;
constexpr SystemRequest::Kind kPreview = SystemRequest::Kind::Preview;
constexpr SystemRequest::Kind kOver = SystemRequest::Kind::ConfigOver;

INSTANTIATE_TEST_SUITE_P(
    Table, ParseSystemRequestTest,
    ::testing::Values(
        SystemCase{"preview as Screen Saver Settings asks", QStringLiteral("/p 1234"), kPreview,
                   1234},
        SystemCase{"preview with a colon, dash, capital", QStringLiteral("-P:77"), kPreview, 77},
        SystemCase{"dialog over a window", QStringLiteral("/c:65790"), kOver, 65790},
        SystemCase{"dialog over a window, blank", QStringLiteral("/C 9"), kOver, 9},
        SystemCase{"the largest handle", QStringLiteral("/p 18446744073709551615"), kPreview,
                   static_cast<quintptr>(18446744073709551615ULL)},
        SystemCase{"past the largest handle", QStringLiteral("/p 18446744073709551616"), kNone, 0},
        SystemCase{"no window is no handle", QStringLiteral("/p 0"), kNone, 0},
        SystemCase{"no number", QStringLiteral("/p"), kNone, 0},
        SystemCase{"plain /c is the start-up rules'", QStringLiteral("/c"), kNone, 0},
        SystemCase{"a sign", QStringLiteral("/p +12"), kNone, 0},
        SystemCase{"hex", QStringLiteral("/p 0x12"), kNone, 0},
        SystemCase{"two blanks", QStringLiteral("/p  12"), kNone, 0},
        SystemCase{"a blank after", QStringLiteral("/p 12 "), kNone, 0},
        SystemCase{"another letter", QStringLiteral("/a 12"), kNone, 0},
        SystemCase{"no switch mark", QStringLiteral("p 12"), kNone, 0},
        SystemCase{"Arabic-Indic digits", QString::fromUtf8("/p \u0661\u0662"), kNone, 0}),
    CaseName<SystemCase>);

} // namespace
} // namespace chronivo
