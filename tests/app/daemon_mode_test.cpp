#include "app/daemon_mode.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace chronivo {
namespace {

TEST(ParseDaemonArgumentsTest, ReadsTheIdleTimeAndTheLogSwitch) {
    struct Case {
        std::vector<std::string> args;
        std::optional<int> afterMs;
        bool verbose;
        const char* error; // the start of the message, or "" for none
    };
    const Case cases[] = {
        {{"--daemon"}, std::nullopt, false, ""},
        {{"--daemon", "--after", "5"}, 300000, false, ""},
        {{"--daemon", "--verbose", "--after", "2s"}, 2000, true, ""},
        {{"--daemon", "--after", "1440"}, 86400000, false, ""},
        {{"--daemon", "--after", "86400s"}, 86400000, false, ""},
        {{"--daemon", "--after", "0"}, std::nullopt, false, "--after takes"},
        {{"--daemon", "--after", "1441"}, std::nullopt, false, "--after takes"},
        {{"--daemon", "--after", "-5"}, std::nullopt, false, "--after takes"},
        {{"--daemon", "--after", "5m"}, std::nullopt, false, "--after takes"},
        {{"--daemon", "--after", "99999999999"}, std::nullopt, false, "--after takes"},
        {{"--daemon", "--after"}, std::nullopt, false, "--after needs a time"},
        {{"--daemon", "/s"}, std::nullopt, false, "unexpected argument '/s'"},
    };
    for (const Case& c : cases) {
        const std::optional<DaemonRequest> request = ParseDaemonArguments(c.args);
        ASSERT_TRUE(request.has_value()) << c.args.size();
        EXPECT_EQ(request->error.rfind(c.error, 0), 0u) << request->error;
        EXPECT_EQ(request->error.empty(), std::string(c.error).empty()) << request->error;
        if (request->error.empty()) {
            EXPECT_EQ(request->afterMs, c.afterMs);
            EXPECT_EQ(request->verbose, c.verbose);
        }
    }
    // Any other first argument is no watcher's command line.
    for (const std::vector<std::string>& other :
         {std::vector<std::string>{}, {"/s"}, {"--root"}, {"--verbose", "--daemon"}}) {
        EXPECT_FALSE(ParseDaemonArguments(other).has_value());
    }
}

} // namespace
} // namespace chronivo
