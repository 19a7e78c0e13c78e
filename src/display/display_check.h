#pragma once

#include <optional>
#include <string>
#include <vector>

namespace chronivo {

// What Qt chooses its platform plugin and display from, read before QApplication is made: Qt
// aborts the whole process (a core dump, exit code 134) when no platform it tries can connect,
// so the saver, the dialog and chronivo-render look first and say so in one line instead.
struct PlatformInputs {
    std::optional<std::string> qpaPlatform;      // QT_QPA_PLATFORM
    std::optional<std::string> platformArgument; // the value of -platform or --platform
    std::optional<std::string> display;          // DISPLAY, or the value of -display
    bool displayFromArgument = false;            // display came from -display
    std::optional<std::string> waylandDisplay;   // WAYLAND_DISPLAY
    std::optional<std::string> waylandSocket;    // WAYLAND_SOCKET, a connection handed down
    std::optional<std::string> runtimeDir;       // XDG_RUNTIME_DIR
    std::optional<std::string> sessionType;      // XDG_SESSION_TYPE

    // The process's own environment and command line (argv[1..argc-1]).
    static PlatformInputs FromProcess(int argc, const char* const* argv);
};

// The platform plugins Qt 6.4 tries, in its order, each until one starts: the -platform
// argument's list, else QT_QPA_PLATFORM's, else "wayland" first when WAYLAND_DISPLAY is set
// (even empty) or XDG_SESSION_TYPE is "wayland", then "xcb". A list is split at ';', and the
// options after a plugin's ':' are dropped.
std::vector<std::string> QtPlatformCandidates(const PlatformInputs& inputs);

// Empty when one of the candidates can reach its display, or needs none (offscreen, minimal, a
// plugin we cannot check); otherwise one line without a line feed saying there is no display to
// draw on, why each candidate cannot reach its own, and the variables the choice was made from.
// Connects to each X server and Wayland socket named, and disconnects again.
std::string NoDisplayProblem(const PlatformInputs& inputs);

} // namespace chronivo
