#pragma once
// Opens one of the program's own shared modules (libtelvaro_*.so) and takes its table. Internal
// to the platform layer.
#include <QString>

namespace platform {

struct TModule {
    void *Handle = nullptr;
    void *Entry = nullptr; // the entry function, still to be called through its own type
};

// Loads File (a name alone is looked for as the dynamic loader looks for libraries: through the
// program's run path) and finds its Entry function. Empty with *Error set when the file is
// missing or has no such entry (it is not "What").
TModule OpenModule(const QString &file, const char *entry, const QString &what, QString *error);
// Closes a module whose table is of another version, with *Error saying so.
void RefuseModule(const TModule &module, const QString &file, QString *error);

// The table File's Entry function answers, when its Version is the one asked for; else null with
// *Error set. A module is never closed once taken: the libraries behind it keep threads and types
// of their own for the life of the process.
template <class TTable>
const TTable *LoadModuleTable(const QString &file, const char *entry, int version, const QString &what, QString *error) {
    const TModule module = OpenModule(file, entry, what, error);
    if (!module.Entry)
        return nullptr;
    const TTable *table = reinterpret_cast<const TTable *(*)()>(module.Entry)();
    if (table && table->Version == version)
        return table;
    RefuseModule(module, file, error);
    return nullptr;
}

} // namespace platform
