#include "app/command_line.h"

namespace chronivo {

QString CommandTextOfProcess(int argc, char** argv) {
    return CommandTextFromArgs(argc, argv);
}

} // namespace chronivo
