#include "platform/MediaLoader.h"

#include <QFile>

#include <cstdio>
#include <dlfcn.h>

namespace platform {

namespace {

// The build tree and the disc's bundle both put it in a folder of the program's run path.
constexpr char kModuleName[] = "libtelvaro_media.so";

struct TLoad {
    const media::TTable *Table = nullptr;
    QString Error;
};

const TLoad *gLoaded = nullptr;

} // namespace

const media::TTable *LoadMediaTable(const QString &file, QString *error) {
    // RTLD_LOCAL: GStreamer's symbols stay the module's own; RTLD_NOW: a module that cannot
    // resolve a symbol fails here, not in the middle of a click.
    void *handle = dlopen(QFile::encodeName(file).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        *error = QStringLiteral("no se pudo cargar %1: %2").arg(file, QString::fromLocal8Bit(dlerror()));
        return nullptr;
    }
    using TEntry = const media::TTable *(*)();
    const auto entry = reinterpret_cast<TEntry>(dlsym(handle, "telvaro_media_table"));
    const media::TTable *table = entry ? entry() : nullptr;
    if (!table || table->Version != media::kTableVersion) {
        *error = entry ? QStringLiteral("%1 es de otra versión").arg(file)
                       : QStringLiteral("%1 no es el módulo de sonido").arg(file);
        dlclose(handle);
        return nullptr;
    }
    // Never closed: GStreamer keeps threads and types of its own for the life of the process.
    return table;
}

const media::TTable *MediaTable() {
    if (!gLoaded) {
        auto *load = new TLoad; // kept for the life of the process, as the module is
        load->Table = LoadMediaTable(QString::fromLatin1(kModuleName), &load->Error);
        if (!load->Table)
            std::fprintf(stderr, "telvaro: sin sonido: %s\n", qPrintable(load->Error));
        gLoaded = load;
    }
    return gLoaded->Table;
}

const media::TTable *LoadedMediaTable() { return gLoaded ? gLoaded->Table : nullptr; }

QString MediaLoadError() { return gLoaded ? gLoaded->Error : QString(); }

} // namespace platform
