// A model header that names the main frame in angle brackets.
#include <app/MainFrame.h>
