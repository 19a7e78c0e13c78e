#pragma once

#include <optional>
#include <string>
#include <vector>

namespace chronivo {

// A command line that asks for the idle watcher: "--daemon", then in any order "--after N"
// (minutes, 1 to 1440) or "--after Ns" (seconds, 1 to 86400) and "--verbose".
struct DaemonRequest {
    std::optional<int> afterMs; // the idle time given on the command line, milliseconds
    bool verbose = false;
    std::string error; // why the command line cannot be followed; empty when it can
};

// The request of a command line whose first argument is "--daemon"; nothing for any other.
std::optional<DaemonRequest> ParseDaemonArguments(const std::vector<std::string>& args);

// Runs the idle watcher until SIGTERM or SIGINT, or until its idle source is lost with the
// session's display (the X server, the Wayland compositor or the desktop's idle monitor ends;
// exit code 0 then too): after the idle time (the request's, else the stored "StartAfter"
// minutes) it starts "chronivo /s" as a child process, and ends it when the session is active
// again. Returns the process's exit code.
int RunDaemonMode(const DaemonRequest& request, int& argc, char** argv);

} // namespace chronivo
