// An exchange source that climbs to the main frame by a relative path.
#include "../app/MainFrame.h"
