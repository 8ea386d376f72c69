#include "platform/Sound.h"

#include "platform/Files.h"
#include "platform/MediaLoader.h"

#include <QByteArray>
#include <QUrl>

namespace platform {

bool PlaySoundFile(const QString &path, bool wait) {
    const QString real = ResolveCase(path);
    if (real.isEmpty() || !IsRegularFile(real)) {
        StopSound();
        return false;
    }
    const media::TTable *media = MediaTable();
    return media && media->PlayCue(QUrl::fromLocalFile(real).toEncoded().constData(), wait);
}

void PreloadSound() { PreloadMedia(); }

// Neither stopping nor freeing loads the media layer: with nothing played there is nothing to do.
void StopSound() {
    if (const media::TTable *media = LoadedMediaTable())
        media->StopCue();
}

void ShutdownSound() {
    JoinMediaPreload();
    if (const media::TTable *media = LoadedMediaTable())
        media->FreeCue();
}

} // namespace platform
