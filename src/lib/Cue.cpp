#include "lib/Cue.h"

#include "lib/DiscPaths.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/Sound.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>

void Delay(quint32 ms) {
    const quint32 start = platform::TickCount();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    for (;;) {
        const quint32 now = platform::TickCount();
        if (now < start || now - start >= ms)
            return;
        // Sleep in a real event loop until the time is up, handling events as they come.
        QEventLoop loop;
        QTimer::singleShot(int(std::min<quint32>(ms - (now - start), 50)), &loop, &QEventLoop::quit);
        loop.exec();
    }
}

void PlayCue(const QString &folder, const QString &name, bool wait) {
    if (name.isEmpty()) {
        StopCue();
        return;
    }
    const QString path = CueFile(folder, name);
    if (!path.isEmpty())
        platform::PlaySoundFile(path, wait);
}

QString CueFile(const QString &folder, const QString &name, TLoadNotes *notes) {
    const QString path = folder + platform::ToSlashes(name);
    if (path.size() > kMaxCuePath) {
        if (notes)
            notes->push_back({TNoteCode::CuePathTooLong, path, {}, {}, QString::number(kMaxCuePath)});
        return {};
    }
    if (notes && !platform::IsRegularFile(path))
        notes->push_back({TNoteCode::CueMissing, path, {}, {}, {}});
    return path;
}

void StopCue() { platform::StopSound(); }
