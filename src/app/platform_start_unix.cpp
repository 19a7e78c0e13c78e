#include "app/platform_start.h"

#include "app/daemon_mode.h"
#include "app/hack_arguments.h"
#include "app/hack_mode.h"
#include "display/display_check.h"
#include "idle/session_blank.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace chronivo {

std::optional<int> RunPlatformMode(int& argc, char** argv) {
    const std::vector<std::string> args =
        argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
    if (const auto daemon = ParseDaemonArguments(args)) {
        if (!daemon->error.empty()) {
            std::fprintf(stderr, "chronivo: %s\n", daemon->error.c_str());
            return 2;
        }
        return RunDaemonMode(*daemon, argc, argv);
    }
    // A screen-saver daemon's hack command line; any other keeps its meaning.
    const HackRequest hack = ParseHackArguments(args, std::getenv("XSCREENSAVER_WINDOW"));
    if (hack.kind == HackRequest::Kind::Error) {
        std::fprintf(stderr, "chronivo: %s\n", hack.error.c_str());
        return 2;
    }
    if (hack.kind != HackRequest::Kind::None) {
        return RunHackMode(hack, argc, argv);
    }
    return std::nullopt;
}

std::string NoDisplayProblemOfProcess(int argc, char** argv) {
    // Without a display Qt would abort the process with a core dump.
    return NoDisplayProblem(PlatformInputs::FromProcess(argc, argv));
}

std::optional<DesktopBlank> DesktopBlankOfSession() {
    return ReadDesktopBlank(ThisDesktopSession());
}

} // namespace chronivo
