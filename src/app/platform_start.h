#pragma once

#include "watcher/desktop_blank.h"

#include <optional>
#include <string>

namespace chronivo {

// What start-up does differently on each platform. One implementation per platform, chosen by
// the build: platform_start_unix.cpp (X11 and Wayland) and platform_start_win.cpp.

// Runs a mode that only this platform has, when the command line asks for one, and returns the
// process's exit code; nothing for every other command line, which the saver's own start-up
// rules then decide. On Linux: the idle watcher (--daemon) and the hack command lines of screen
// savers on X11 (--root, --window-id). On Windows: the preview that Screen Saver Settings asks
// for ("/p HWND") and the settings dialog over its window ("/c:HWND").
std::optional<int> RunPlatformMode(int& argc, char** argv);

// Why no window of ours could be shown, in one line; empty when a display is there (or the
// platform always has one).
std::string NoDisplayProblemOfProcess(int argc, char** argv);

// The desktop's own blank, which the settings dialog compares the saver's time with; nothing
// where the saver's time is the system's own.
std::optional<DesktopBlank> DesktopBlankOfSession();

} // namespace chronivo
