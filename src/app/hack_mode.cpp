#include "app/hack_mode.h"

#include "app/hosted_run.h"
#include "app/termination_signals.h"
#include "display/x11_display.h"

#include <QByteArray>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace chronivo {

namespace {

std::string HexId(std::uint32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(id));
    return text;
}

} // namespace

int RunHackMode(const HackRequest& request, int& argc, char** argv) {
    // First of all, so that a host that ends us at once still gets a clean exit.
    if (!InstallTerminationHandlers()) {
        return StartFailure("cannot catch SIGTERM and SIGINT, which end a hack");
    }
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') {
        return StartFailure("drawing into a window needs an X display, and DISPLAY is not set");
    }
    // Only the xcb platform reaches another program's window, whatever the desktop prefers.
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("xcb"));

    std::string error;
    const std::unique_ptr<X11Display> x11 = X11Display::Open(display, &error);
    if (!x11) {
        return StartFailure(error);
    }
    const std::uint32_t id =
        request.kind == HackRequest::Kind::RootWindow ? x11->RootWindow() : request.windowId;
    return RunInsideHost(argc, argv, id, HexId(id) + " on display \"" + display + "\"",
                         [&] { return x11->WindowSize(id); });
}

} // namespace chronivo
