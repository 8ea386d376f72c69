#include "platform/MediaLoader.h"

#include "platform/ModuleLoader.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <thread>

namespace platform {

namespace {

// The build tree and the disc's bundle both put it in a folder of the program's run path.
constexpr char kModuleName[] = "libtelvaro_media.so";

struct TLoad {
    const media::TTable *Table = nullptr;
    QString Error;
};

std::once_flag gLoadOnce;
std::atomic<const TLoad *> gLoaded{nullptr}; // a preload may write it while the GUI thread reads
// Joined at the latest when the program ends: a thread left running then would end it.
struct TPreload {
    std::thread Thread;
    ~TPreload() { Join(); }
    void Join() {
        if (Thread.joinable())
            Thread.join();
    }
} gPreload;

} // namespace

const media::TTable *LoadMediaTable(const QString &file, QString *error) {
    return LoadModuleTable<media::TTable>(file, "telvaro_media_table", media::kTableVersion,
                                          QStringLiteral("el módulo de sonido"), error);
}

const media::TTable *MediaTable() {
    // Once, whichever thread asks first; a second caller waits for the first one's answer.
    std::call_once(gLoadOnce, [] {
        auto *load = new TLoad; // kept for the life of the process, as the module is
        load->Table = LoadMediaTable(QString::fromLatin1(kModuleName), &load->Error);
        if (!load->Table)
            std::fprintf(stderr, "telvaro: sin sonido: %s\n", qPrintable(load->Error));
        gLoaded = load;
    });
    return gLoaded.load()->Table;
}

const media::TTable *LoadedMediaTable() {
    const TLoad *load = gLoaded.load();
    return load ? load->Table : nullptr;
}

QString MediaLoadError() {
    const TLoad *load = gLoaded.load();
    return load ? load->Error : QString();
}

void PreloadMedia() {
    static bool started = false;
    if (started)
        return;
    started = true;
    // Loading GStreamer, reading its registry and the playback plugin take tens of
    // milliseconds: on a thread of their own, between the pointer reaching the window and the
    // click, they hold neither the window nor the first cue.
    gPreload.Thread = std::thread([] {
        if (const media::TTable *media = MediaTable())
            media->Available();
    });
}

void JoinMediaPreload() { gPreload.Join(); }

} // namespace platform
