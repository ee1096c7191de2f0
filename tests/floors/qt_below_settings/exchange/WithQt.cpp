// An exchange source that uses Qt.
#include <QString>
