// A core file that includes a window of a ui/ folder.
#include "search/ui/TfrFind.h"
