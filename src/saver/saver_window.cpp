#include "saver/saver_window.h"
