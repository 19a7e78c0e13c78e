#include "config/config_dialog.h"
