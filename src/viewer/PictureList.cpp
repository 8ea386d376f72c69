#include "viewer/PictureList.h"

#include "lib/DiscPaths.h"
#include "lib/FileSearch.h"
#include "platform/Files.h"

#include <algorithm>

TPictureTarget PictureTargetOf(const QString &target) {
    TPictureTarget t{FolderPart(target), FileNamePart(target)};
    if (!platform::IsRegularFile(target) && !(t.Mask.contains(u'.') && t.Mask.contains(u'*')))
        t.Mask = kDefaultPictureMask;
    return t;
}

QStringList ListPictures(const TPictureTarget &target) {
    QStringList pictures;
    if (target.Folder.isEmpty())
        return pictures;
    CollectFiles(target.Folder, target.Mask, kMinPictureBytes, pictures);
    std::stable_sort(pictures.begin(), pictures.end(),
                     [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return pictures;
}

QStringList ListTracks(const QString &musicFolder, bool mp3Supported) {
    QStringList tracks;
    if (musicFolder.isEmpty())
        return tracks;
    const QString folder = AddBackslash(musicFolder);
    if (mp3Supported)
        CollectFiles(folder, QStringLiteral("mp3"), 1, tracks);
    CollectFiles(folder, QStringLiteral("mid;mp2"), 1, tracks);
    CollectFiles(folder, QStringLiteral("wav"), kMinWavBytes, tracks);
    return tracks;
}
