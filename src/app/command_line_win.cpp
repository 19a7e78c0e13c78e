#include "app/command_line.h"

#include <windows.h>

namespace chronivo {

// The raw command line, as the system handed it over: argv has already lost its quoting.
QString CommandTextOfProcess(int /*argc*/, char** /*argv*/) {
    return CommandTextFromRaw(QString::fromWCharArray(GetCommandLineW()));
}

} // namespace chronivo
