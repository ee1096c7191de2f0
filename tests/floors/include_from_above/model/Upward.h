// A model header that reaches up into the main frame.
#include "app/MainFrame.h"
