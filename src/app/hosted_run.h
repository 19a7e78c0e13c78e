#pragma once

#include <QSize>
#include <QWindow>

#include <functional>
#include <optional>
#include <string>

namespace chronivo {

// The size of the host's window in device pixels, asked again for every frame; nothing once the
// window has gone.
using HostPixels = std::function<std::optional<QSize>()>;

// Runs the saver inside another program's window `id` (an X window on Linux, an HWND on Windows):
// the frames of saver mode in a child window that covers the host's and follows its size, until
// the event loop is ended (by SIGTERM or SIGINT where there are signals) or the host's window goes;
// both end the run with exit code 0. `shownId` names the window in messages. Creates the
// QApplication itself; `argc` and `argv` are handed to it. Exit code 1, with one line on standard
// error, when the window cannot be used or the saver window cannot be shown in it.
int RunInsideHost(int& argc, char** argv, WId id, const std::string& shownId,
                  const HostPixels& hostPixels);

// Puts "chronivo: `message`" on standard error and returns 1, the exit code of a run that could
// not start.
int StartFailure(const std::string& message);

// A size in device pixels as the logical pixels Qt's widgets are measured in.
QSize LogicalSize(QSize devicePixels, qreal ratio);

} // namespace chronivo
