#include "app/hack_arguments.h"

namespace chronivo {

namespace {

constexpr std::uint64_t kMaxWindowId = 0xFFFFFFFFu;

int DigitValue(char c, int base) {
    int value = -1;
    if (c >= '0' && c <= '9') {
        value = c - '0';
    } else if (c >= 'a' && c <= 'f') {
        value = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
        value = c - 'A' + 10;
    }
    return value < base ? value : -1;
}

HackRequest Failure(std::string message) {
    HackRequest request;
    request.kind = HackRequest::Kind::Error;
    request.error = std::move(message);
    return request;
}

HackRequest InWindow(std::uint32_t id) {
    HackRequest request;
    request.kind = HackRequest::Kind::Window;
    request.windowId = id;
    return request;
}

bool IsRoot(const std::string& arg) {
    return arg == "-root" || arg == "--root";
}
bool IsWindowId(const std::string& arg) {
    return arg == "-window-id" || arg == "--window-id";
}

} // namespace

std::optional<std::uint32_t> ParseWindowId(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char c : text) {
        const int digit = DigitValue(c, base);
        if (digit < 0) {
            return std::nullopt;
        }
        // Checked per digit, so a long run of digits can never wrap round.
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
        if (value > kMaxWindowId) {
            return std::nullopt;
        }
    }
    if (value == 0) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

HackRequest ParseHackArguments(const std::vector<std::string>& args,
                               const char* screensaverWindow) {
    if (args.empty() || !(IsRoot(args[0]) || IsWindowId(args[0]))) {
        return {};
    }
    // XScreenSaver's settings window previews a hack by appending "-window-id ID" to its
    // command, "--root" included: then the window named last is the one to draw into, and
    // XSCREENSAVER_WINDOW is not read at all.
    std::size_t at = 0;
    if (IsRoot(args[0]) && args.size() > 1 && IsWindowId(args[1])) {
        at = 1;
    }
    const std::string& option = args[at];
    std::size_t used = at + 1;
    HackRequest request;
    if (IsRoot(option)) {
        if (screensaverWindow == nullptr || *screensaverWindow == '\0') {
            request.kind = HackRequest::Kind::RootWindow;
        } else if (const auto id = ParseWindowId(screensaverWindow)) {
            request = InWindow(*id);
        } else {
            return Failure("XSCREENSAVER_WINDOW is \"" + std::string(screensaverWindow) +
                           "\", not a window id (0x... in hex, or decimal)");
        }
    } else {
        if (args.size() <= used) {
            return Failure(option + " needs a window id (0x... in hex, or decimal)");
        }
        const auto id = ParseWindowId(args[used]);
        if (!id) {
            return Failure(option + " needs a window id (0x... in hex, or decimal), not \"" +
                           args[used] + "\"");
        }
        request = InWindow(*id);
        ++used;
    }
    if (args.size() > used) {
        return Failure("unexpected argument \"" + args[used] + "\" after " + option);
    }
    return request;
}

} // namespace chronivo
