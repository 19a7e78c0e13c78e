#include "app/command_line.h"

#include "support/case_name.h"

#include <gtest/gtest.h>

#include <vector>

// The text after the program name where the system hands over argv (Windows hands over the raw
// command line instead, which CommandTextFromRaw cuts; command_line_test.cpp).
namespace chronivo {
namespace {

using test::CaseName;
using test::PrintTo;

constexpr StartMode kSaver = StartMode::Saver;
constexpr StartMode kAlone = StartMode::ConfigWithoutParent;

struct ArgsCase {
    const char* fact;
    std::vector<const char*> argv;
    QString text;
};

class CommandTextFromArgsTest : public ::testing::TestWithParam<ArgsCase> {};

TEST_P(CommandTextFromArgsTest, JoinsTheArgumentsWithSingleBlanks) {
    const ArgsCase& c = GetParam();
    EXPECT_EQ(CommandTextFromArgs(static_cast<int>(c.argv.size()), c.argv.data()), c.text)
        << c.fact;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandTextFromArgsTest,
    ::testing::Values(
        ArgsCase{"no arguments", {"chronivo"}, QString()},
        ArgsCase{"one switch", {"chronivo", "/s"}, QStringLiteral("/s")},
        ArgsCase{"two arguments", {"chronivo", "/s", "extra"}, QStringLiteral("/s extra")},
        ArgsCase{"preview", {"chronivo", "/p", "123"}, QStringLiteral("/p 123")},
        ArgsCase{"an argument with a trailing blank", {"chronivo", "/s "}, QStringLiteral("/s ")},
        ArgsCase{"one empty argument", {"chronivo", ""}, QString()},
        ArgsCase{"an argument with a blank inside", {"chronivo", "a b"}, QStringLiteral("a b")},
        ArgsCase{"UTF-8 is decoded",
                 {"chronivo", "\xC3\xA9t\xC3\xA9"},
                 QString::fromUtf8("\u00E9t\u00E9")}),
    CaseName<ArgsCase>);

TEST(CommandLine, JoinedArgumentsAreClassifiedWhole) {
    // "chronivo /s extra" opens the dialog, "chronivo -S" the saver.
    const std::vector<const char*> extra = {"chronivo", "/s", "extra"};
    EXPECT_EQ(ClassifyCommandLine(CommandTextFromArgs(3, extra.data())), kAlone);
    const std::vector<const char*> saver = {"chronivo", "-S"};
    EXPECT_EQ(ClassifyCommandLine(CommandTextFromArgs(2, saver.data())), kSaver);
}

} // namespace
} // namespace chronivo
