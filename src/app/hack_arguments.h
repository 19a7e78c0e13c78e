#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace chronivo {

// What the command line asks for in the conventions of screen-saver daemons on X11 (XScreenSaver
// and the lockers that run its hacks): draw into a window the daemon provides.
struct HackRequest {
    enum class Kind {
        None,       // not a hack command line: the usual start-up rules decide
        Window,     // draw into `windowId`
        RootWindow, // draw into the root window of the display's default screen
        Error,      // a hack command line that cannot be followed; `error` says why
    };
    Kind kind = Kind::None;
    std::uint32_t windowId = 0; // Window only: an X window id, 1 to 0xFFFFFFFF
    std::string error;          // Error only: one line, without the program's name
};

// Reads the arguments after the program name. Recognised, letter case as written:
//   -root | --root                  the window in `screensaverWindow` (the value of
//                                   XSCREENSAVER_WINDOW; null or empty: the root window)
//   -window-id ID | --window-id ID  window ID
//   -root -window-id ID             window ID, whatever XSCREENSAVER_WINDOW says (either
//                                   spelling of each; how XScreenSaver's settings window runs
//                                   a hack for its preview)
// A command line whose first argument is none of these is not a hack command line (Kind::None),
// so every other command line keeps its meaning. A missing or unreadable id, an unreadable
// XSCREENSAVER_WINDOW and arguments after the recognised ones are errors.
HackRequest ParseHackArguments(const std::vector<std::string>& args, const char* screensaverWindow);

// An X window id: "0x" or "0X" and 1 to 8 hex digits, or decimal digits; 1 to 0xFFFFFFFF. No
// sign, blank or other character is accepted; 0 (no window) is not an id.
std::optional<std::uint32_t> ParseWindowId(std::string_view text);

} // namespace chronivo
