#include "display/display_check.h"

#include "display/x11_display.h"

#include <cstdlib>
#include <cstring>
#include <memory>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace chronivo {

namespace {

std::optional<std::string> Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

std::string Shown(const std::optional<std::string>& value) {
    return value ? "\"" + *value + "\"" : std::string("unset");
}

std::vector<std::string> SplitList(const std::string& list) {
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = std::min(list.find(';', start), list.size());
        const std::string entry = list.substr(start, end - start);
        const std::string name = entry.substr(0, entry.find(':'));
        if (!name.empty()) {
            names.push_back(name);
        }
        start = end + 1;
    }
    return names;
}

// Why the xcb platform cannot reach its X server, or empty when it can.
std::string X11Problem(const PlatformInputs& inputs) {
    if (!inputs.display) {
        return "the xcb platform has no X display to connect to";
    }
    std::string error;
    if (X11Display::Open(*inputs.display, &error)) {
        return {};
    }
    return "the xcb platform " + error;
}

// Why the Wayland platform cannot reach its compositor, or empty when it can: the socket is
// found as libwayland-client finds it, and connected to.
std::string WaylandProblem(const PlatformInputs& inputs) {
    if (inputs.waylandSocket) {
        return {}; // a connection handed down: using it up here would take it from Qt
    }
    const std::string name = inputs.waylandDisplay.value_or("wayland-0");
    std::string path = name;
    if (name.empty() || name.front() != '/') {
        if (!inputs.runtimeDir) {
            return "the wayland platform cannot find the Wayland display \"" + name +
                   "\" without XDG_RUNTIME_DIR";
        }
        path = *inputs.runtimeDir + "/" + name;
    }
    const std::string problem =
        "the wayland platform cannot connect to the Wayland display \"" + path + "\"";
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        return problem;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return problem;
    }
    const bool connected =
        connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return connected ? std::string() : problem;
}

} // namespace

PlatformInputs PlatformInputs::FromProcess(int argc, const char* const* argv) {
    PlatformInputs inputs;
    inputs.qpaPlatform = Variable("QT_QPA_PLATFORM");
    inputs.display = Variable("DISPLAY");
    inputs.waylandDisplay = Variable("WAYLAND_DISPLAY");
    inputs.waylandSocket = Variable("WAYLAND_SOCKET");
    inputs.runtimeDir = Variable("XDG_RUNTIME_DIR");
    inputs.sessionType = Variable("XDG_SESSION_TYPE");
    // Read as Qt reads them: "--x" is "-x", and the last one given wins.
    for (int i = 1; i + 1 < argc; ++i) {
        std::string name = argv[i];
        if (name.rfind("--", 0) == 0) {
            name.erase(0, 1);
        }
        if (name == "-platform") {
            inputs.platformArgument = argv[++i];
        } else if (name == "-display") {
            inputs.display = argv[++i];
            inputs.displayFromArgument = true;
        }
    }
    return inputs;
}

std::vector<std::string> QtPlatformCandidates(const PlatformInputs& inputs) {
    if (inputs.platformArgument) {
        return SplitList(*inputs.platformArgument);
    }
    if (inputs.qpaPlatform && !inputs.qpaPlatform->empty()) {
        return SplitList(*inputs.qpaPlatform);
    }
    if (inputs.waylandDisplay || inputs.sessionType == "wayland") {
        return {"wayland", "xcb"};
    }
    return {"xcb"};
}

std::string NoDisplayProblem(const PlatformInputs& inputs) {
    const std::vector<std::string> candidates = QtPlatformCandidates(inputs);
    std::string problems;
    std::string names;
    for (const std::string& name : candidates) {
        std::string problem;
        if (name == "xcb") {
            problem = X11Problem(inputs);
        } else if (name.rfind("wayland", 0) == 0) {
            problem = WaylandProblem(inputs);
        }
        if (problem.empty()) {
            return {}; // needs no display, or reaches its own
        }
        problems += (problems.empty() ? "" : ", and ") + problem;
        names += (names.empty() ? "" : ", ") + name;
    }
    if (candidates.empty()) {
        return {}; // an empty choice is Qt's to report
    }
    std::string source = "Qt's default";
    if (inputs.platformArgument) {
        source = "the -platform argument";
    } else if (inputs.qpaPlatform && !inputs.qpaPlatform->empty()) {
        source = "QT_QPA_PLATFORM";
    }
    return "no display to draw on: " + problems + " (platform" +
           std::string(candidates.size() > 1 ? "s " : " ") + names + " as chosen by " + source +
           "; QT_QPA_PLATFORM " + Shown(inputs.qpaPlatform) +
           (inputs.displayFromArgument ? ", -display " : ", DISPLAY ") + Shown(inputs.display) +
           ", WAYLAND_DISPLAY " + Shown(inputs.waylandDisplay) + ", XDG_SESSION_TYPE " +
           Shown(inputs.sessionType) + ")";
}

} // namespace chronivo
