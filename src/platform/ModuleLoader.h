#pragma once
// Opens one of the program's own shared modules (libtelvaro_*.so) and takes its table. Internal
// to the platform layer.
#include <QString>

namespace platform {

// Loads File (a name alone is looked for as the dynamic loader looks for libraries: through the
// program's run path) and returns what its Entry function answers, a table whose first member
// is its int version. Null with *Error set when the file is missing, has no such entry (it is
// not "What"), or is of another version than Version. A module is never closed: the libraries
// behind it keep threads and types of their own for the life of the process.
const void *LoadModuleTable(const QString &file, const char *entry, int version, const QString &what, QString *error);

} // namespace platform
