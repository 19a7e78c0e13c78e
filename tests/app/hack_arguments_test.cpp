#include "app/hack_arguments.h"

#include "support/case_name.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace chronivo {
namespace {

using test::CaseName;
using test::PrintTo;

using Kind = HackRequest::Kind;

// ---- Window ids ----

struct IdCase {
    const char* fact;
    const char* text;
    std::optional<std::uint32_t> id;
};

class ParseWindowIdTest : public ::testing::TestWithParam<IdCase> {};

TEST_P(ParseWindowIdTest, ReadsHexOrDecimal) {
    EXPECT_EQ(ParseWindowId(GetParam().text), GetParam().id) << GetParam().fact;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParseWindowIdTest,
    ::testing::Values(
        IdCase{"hex with small x", "0x1e00004", 0x1e00004u},
        IdCase{"hex with capital X and capital digits", "0X1E00004", 0x1e00004u},
        IdCase{"decimal", "31457284", 31457284u},
        IdCase{"the largest hex id", "0xffffffff", 0xffffffffu},
        IdCase{"the largest decimal id", "4294967295", 0xffffffffu},
        IdCase{"leading zeros in decimal", "000042", 42u},
        IdCase{"hex with leading zeros beyond eight digits", "0x00000000001", 1u},
        // Nothing else is an id.
        IdCase{"empty", "", std::nullopt}, IdCase{"0x alone", "0x", std::nullopt},
        IdCase{"zero is no window", "0", std::nullopt},
        IdCase{"hex zero is no window", "0x0", std::nullopt},
        IdCase{"one past 32 bits in hex", "0x100000000", std::nullopt},
        IdCase{"one past 32 bits in decimal", "4294967296", std::nullopt},
        IdCase{"far past 64 bits does not wrap", "99999999999999999999999", std::nullopt},
        IdCase{"hex digits without 0x", "1e00004", std::nullopt},
        IdCase{"a letter past f", "0x1g", std::nullopt}, IdCase{"minus sign", "-5", std::nullopt},
        IdCase{"plus sign", "+5", std::nullopt}, IdCase{"leading blank", " 5", std::nullopt},
        IdCase{"trailing blank", "5 ", std::nullopt},
        IdCase{"octal-looking is decimal", "010", 10u}),
    CaseName<IdCase>);

// ---- Command lines ----

struct ArgsCase {
    const char* fact;
    std::vector<std::string> args;
    const char* env; // XSCREENSAVER_WINDOW, null when unset
    Kind kind;
    std::uint32_t id = 0;        // for Kind::Window
    const char* error = nullptr; // for Kind::Error: the exact line
};

class ParseHackArgumentsTest : public ::testing::TestWithParam<ArgsCase> {};

TEST_P(ParseHackArgumentsTest, RecognisesTheHackForms) {
    const ArgsCase& c = GetParam();
    const HackRequest request = ParseHackArguments(c.args, c.env);
    ASSERT_EQ(request.kind, c.kind) << c.fact << ": " << request.error;
    EXPECT_EQ(request.windowId, c.kind == Kind::Window ? c.id : 0u) << c.fact;
    EXPECT_EQ(request.error, c.error != nullptr ? c.error : "") << c.fact;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParseHackArgumentsTest,
    ::testing::Values(
        // The window the daemon names in XSCREENSAVER_WINDOW, hex or decimal.
        ArgsCase{"root with a hex daemon window", {"-root"}, "0x600008", Kind::Window, 0x600008},
        ArgsCase{"double-dash root with a decimal daemon window",
                 {"--root"},
                 "6291464",
                 Kind::Window,
                 0x600008},
        // No daemon window: the root window itself.
        ArgsCase{"root without XSCREENSAVER_WINDOW", {"-root"}, nullptr, Kind::RootWindow},
        ArgsCase{"root with an empty XSCREENSAVER_WINDOW", {"--root"}, "", Kind::RootWindow},
        ArgsCase{"window-id in hex", {"-window-id", "0x1e00004"}, nullptr, Kind::Window, 0x1e00004},
        ArgsCase{"double-dash window-id in decimal",
                 {"--window-id", "31457284"},
                 nullptr,
                 Kind::Window,
                 0x1e00004},
        // An explicit window wins over the daemon's variable.
        ArgsCase{"window-id ignores XSCREENSAVER_WINDOW",
                 {"-window-id", "0x42"},
                 "0x600008",
                 Kind::Window,
                 0x42},
        // XScreenSaver's settings window previews "chronivo --root" with "-window-id ID"
        // appended: that window wins, and XSCREENSAVER_WINDOW is not read.
        ArgsCase{"root then window-id in hex, as the preview runs it",
                 {"--root", "-window-id", "0x1e00004"},
                 "0x600008",
                 Kind::Window,
                 0x1e00004},
        ArgsCase{"single-dash root then double-dash window-id in decimal",
                 {"-root", "--window-id", "31457284"},
                 nullptr,
                 Kind::Window,
                 0x1e00004},
        ArgsCase{"window-id after root ignores a bad XSCREENSAVER_WINDOW",
                 {"-root", "-window-id", "0x42"},
                 "window",
                 Kind::Window,
                 0x42},
        // Clear errors for hack command lines that cannot be followed.
        ArgsCase{"window-id without an id",
                 {"-window-id"},
                 nullptr,
                 Kind::Error,
                 0,
                 "-window-id needs a window id (0x... in hex, or decimal)"},
        ArgsCase{"window-id with a bad id",
                 {"--window-id", "0xzz"},
                 nullptr,
                 Kind::Error,
                 0,
                 "--window-id needs a window id (0x... in hex, or decimal), not \"0xzz\""},
        ArgsCase{"window-id with id zero",
                 {"-window-id", "0"},
                 nullptr,
                 Kind::Error,
                 0,
                 "-window-id needs a window id (0x... in hex, or decimal), not \"0\""},
        ArgsCase{"root with a bad XSCREENSAVER_WINDOW",
                 {"-root"},
                 "window",
                 Kind::Error,
                 0,
                 "XSCREENSAVER_WINDOW is \"window\", not a window id (0x... in hex, or decimal)"},
        ArgsCase{"root followed by more",
                 {"-root", "-fps"},
                 nullptr,
                 Kind::Error,
                 0,
                 "unexpected argument \"-fps\" after -root"},
        ArgsCase{"window-id followed by more",
                 {"-window-id", "0x42", "/s"},
                 nullptr,
                 Kind::Error,
                 0,
                 "unexpected argument \"/s\" after -window-id"},
        ArgsCase{"root then window-id without an id",
                 {"--root", "-window-id"},
                 "0x600008",
                 Kind::Error,
                 0,
                 "-window-id needs a window id (0x... in hex, or decimal)"},
        ArgsCase{"root then window-id with id zero",
                 {"-root", "--window-id", "0"},
                 nullptr,
                 Kind::Error,
                 0,
                 "--window-id needs a window id (0x... in hex, or decimal), not \"0\""},
        ArgsCase{"root then window-id followed by more",
                 {"-root", "-window-id", "0x42", "-fps"},
                 nullptr,
                 Kind::Error,
                 0,
                 "unexpected argument \"-fps\" after -window-id"},
        ArgsCase{"root after window-id stays an error",
                 {"-window-id", "0x42", "-root"},
                 nullptr,
                 Kind::Error,
                 0,
                 "unexpected argument \"-root\" after -window-id"},
        ArgsCase{"root then window-id in capitals",
                 {"-root", "-WINDOW-ID", "0x42"},
                 nullptr,
                 Kind::Error,
                 0,
                 "unexpected argument \"-WINDOW-ID\" after -root"},
        // Every other command line is left to the usual start-up rules.
        ArgsCase{"no arguments", {}, "0x600008", Kind::None},
        ArgsCase{"saver switch", {"/s"}, "0x600008", Kind::None},
        ArgsCase{"settings switch", {"-c"}, nullptr, Kind::None},
        ArgsCase{"preview request", {"/p", "123"}, nullptr, Kind::None},
        ArgsCase{"root in capitals", {"-ROOT"}, nullptr, Kind::None},
        ArgsCase{"root after another argument", {"/s", "-root"}, nullptr, Kind::None},
        ArgsCase{"window-id joined with its id", {"--window-id=0x42"}, nullptr, Kind::None},
        ArgsCase{"single-letter r", {"-r"}, nullptr, Kind::None}),
    CaseName<ArgsCase>);

} // namespace
} // namespace chronivo
