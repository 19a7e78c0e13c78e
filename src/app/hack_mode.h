#pragma once

#include "app/hack_arguments.h"

namespace chronivo {

// Runs the saver as a screen-saver daemon's hack: the frames of saver mode, drawn into a child
// window that covers the window `request` names and follows its size, until SIGTERM or SIGINT
// ends the run with exit code 0 (or the host's window goes, which ends it the same way). Qt's
// xcb platform is used whenever DISPLAY is set, since only it can draw into another program's
// window. Creates the QApplication itself; `argc` and `argv` are handed to it.
//
// Returns the process's exit code: 0 after a signal; 1, with one line on standard error, when
// there is no X display, the window does not exist or the saver window cannot be shown.
int RunHackMode(const HackRequest& request, int& argc, char** argv);

} // namespace chronivo
