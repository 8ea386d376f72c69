#include "platform/ModuleLoader.h"

#include <QFile>

#include <dlfcn.h>

namespace platform {

TModule OpenModule(const QString &file, const char *entry, const QString &what, QString *error) {
    // RTLD_LOCAL: the library's symbols stay the module's own; RTLD_NOW: a module that cannot
    // resolve a symbol fails here, not in the middle of a click.
    void *handle = dlopen(QFile::encodeName(file).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        *error = QStringLiteral("no se pudo cargar %1: %2").arg(file, QString::fromLocal8Bit(dlerror()));
        return {};
    }
    void *function = dlsym(handle, entry);
    if (!function) {
        *error = QStringLiteral("%1 no es %2").arg(file, what);
        dlclose(handle);
        return {};
    }
    return {handle, function};
}

void RefuseModule(const TModule &module, const QString &file, QString *error) {
    *error = QStringLiteral("%1 es de otra versión").arg(file);
    dlclose(module.Handle);
}

} // namespace platform
