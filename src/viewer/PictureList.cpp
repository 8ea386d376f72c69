#include "viewer/PictureList.h"

#include "lib/DiscPaths.h"
#include "lib/FileSearch.h"
#include "platform/Files.h"

#include <QFileInfo>

#include <algorithm>

TPictureTarget PictureTargetOf(const QString &target) {
    TPictureTarget t{FolderPart(target), FileNamePart(target), {}};
    if (platform::IsRegularFile(target))
        t.File = platform::ResolveCase(target);
    else if (!(t.Mask.contains(u'.') && t.Mask.contains(u'*')))
        t.Mask = kDefaultPictureMask;
    return t;
}

int StartIndex(const QStringList &pictures, const TPictureTarget &target) {
    if (target.File.isEmpty())
        return 0;
    const QString named = QFileInfo(target.File).canonicalFilePath();
    const QString name = QFileInfo(target.File).fileName();
    for (qsizetype i = 0; i < pictures.size(); ++i)
        if (QFileInfo(pictures[i]).fileName().compare(name, Qt::CaseInsensitive) == 0 &&
            QFileInfo(pictures[i]).canonicalFilePath() == named)
            return int(i);
    return 0;
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

QStringList ListTracks(const QString &musicFolder, bool mp3Supported, TLoadNotes *notes) {
    QStringList tracks;
    if (musicFolder.isEmpty())
        return tracks;
    const QString folder = AddBackslash(musicFolder);
    if (notes && !platform::IsDirectory(folder)) {
        notes->push_back({TNoteCode::MusicFolderMissing, musicFolder, {}, {}, {}});
        return tracks;
    }
    if (mp3Supported) {
        CollectFiles(folder, QStringLiteral("mp3"), 1, tracks);
    } else if (notes) {
        QStringList skipped;
        CollectFiles(folder, QStringLiteral("mp3"), 1, skipped);
        for (const QString &file : std::as_const(skipped))
            notes->push_back({TNoteCode::MusicMp3Skipped, file, {}, {}, {}});
    }
    CollectFiles(folder, QStringLiteral("mid;mp2"), 1, tracks);
    QStringList small;
    CollectFiles(folder, QStringLiteral("wav"), kMinWavBytes, tracks, notes ? &small : nullptr);
    for (const QString &file : std::as_const(small))
        notes->push_back({TNoteCode::MusicWavTooSmall, file, {}, {}, QString::number(kMinWavBytes)});
    if (notes && tracks.isEmpty())
        notes->push_back({TNoteCode::MusicNone, musicFolder, {}, {}, QString::number(kMinWavBytes)});
    return tracks;
}
