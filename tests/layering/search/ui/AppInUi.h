// A window that includes the main window above it.
#include "app/TFmMain.h"
