#include "platform/ModuleLoader.h"

#include <QFile>

#include <dlfcn.h>

namespace platform {

const void *LoadModuleTable(const QString &file, const char *entry, int version, const QString &what, QString *error) {
    // RTLD_LOCAL: the library's symbols stay the module's own; RTLD_NOW: a module that cannot
    // resolve a symbol fails here, not in the middle of a click.
    void *handle = dlopen(QFile::encodeName(file).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        *error = QStringLiteral("no se pudo cargar %1: %2").arg(file, QString::fromLocal8Bit(dlerror()));
        return nullptr;
    }
    using TEntry = const void *(*)();
    const auto get = reinterpret_cast<TEntry>(dlsym(handle, entry));
    const void *table = get ? get() : nullptr;
    if (!table || *static_cast<const int *>(table) != version) {
        *error = get ? QStringLiteral("%1 es de otra versión").arg(file) : QStringLiteral("%1 no es %2").arg(file, what);
        dlclose(handle);
        return nullptr;
    }
    return table;
}

} // namespace platform
