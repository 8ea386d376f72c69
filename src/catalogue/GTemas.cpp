#include "catalogue/GTemas.h"

#include "lib/DiscPaths.h"
#include "lib/FileSearch.h"
#include "platform/Drives.h"
#include "platform/Files.h"
#include "platform/Profile.h"

#include <QApplication>
#include <QMessageBox>

QString LocateTopicsFile(const QString &gresDir, TLoadNotes *notes) {
    const QString first = gresDir + kConfigFileName;
    if (platform::IsRegularFile(first))
        return platform::ResolveCase(first);
    // Without an optical disc there is nothing more to try: the system disk is never walked.
    const QString cdRoot = FindCDROMRoot();
    QString found;
    if (!cdRoot.isEmpty()) {
        const QString volume = platform::VolumeRoot(gresDir);
        const QString second = cdRoot + first.mid(volume.size());
        found = platform::IsRegularFile(second) ? platform::ResolveCase(second) : FindFileInTree(cdRoot, kConfigFileName);
    }
    if (notes && found.isEmpty())
        notes->push_back({TNoteCode::ConfigNotFound, first, {}, {}, gresDir});
    else if (notes)
        notes->push_back({TNoteCode::ConfigElsewhere, found, {}, {}, gresDir});
    return found;
}

TTopicList LoadTopics(const QString &configFile, const QString &baseDir, TLoadNotes *notes) {
    TTopicList topics;
    if (configFile.isEmpty())
        return topics;
    const auto ini = platform::TProfile::Load(configFile);
    const QString section = QStringLiteral("Temas");
    const auto note = [&](TNoteCode code, const QString &name, const QString &detail) {
        if (notes)
            notes->push_back({code, configFile, section, name, detail});
    };
    const QStringList names = ini.KeyNames(section);
    if (notes && !ini.HasSection(section))
        note(TNoteCode::TopicsSectionMissing, {}, {});
    if (notes && names.size() < ini.KeyCount(section))
        note(TNoteCode::TopicNamesCut, {}, QString::number(ini.KeyCount(section) - names.size()));
    for (const QString &name : names) {
        if (name.isEmpty()) {
            note(TNoteCode::TopicNameEmpty, name, {});
            continue;
        }
        const QString value = ini.ReadString(section, name);
        if (value.isEmpty()) {
            note(TNoteCode::TopicValueEmpty, name, {});
            continue;
        }
        auto tema = std::make_unique<TTema>();
        // Topic files are always looked for under BaseDir, wherever GES.INI was found.
        tema->Path = AddBackslash(baseDir) + platform::ToSlashes(value);
        tema->BaseName = BaseNameOf(value);
        if (tema->BaseName.isEmpty()) {
            note(TNoteCode::TopicNoBaseName, name, value);
            continue;
        }
        if (!platform::IsRegularFile(tema->Path)) {
            if (notes)
                note(platform::PathExists(tema->Path) ? TNoteCode::TopicNotAFile : TNoteCode::TopicFileMissing, name,
                     tema->Path);
            continue;
        }
        // The name's second line: the reader gives it the first line's file, and lookups by
        // name or region find the first topic.
        if (notes && topics.IndexOf(name) >= 0)
            note(TNoteCode::TopicNameRepeated, name, value);
        topics.Add(name, std::move(tema));
    }
    return topics;
}

bool TopicsLoaded(const TTopicList &topics) {
    if (!topics.IsEmpty())
        return true;
    const QString title = QApplication::applicationDisplayName();
    if (title.toUpper() != u"QOR")
        QMessageBox::critical(nullptr, title, QStringLiteral("Error incializando temas."));
    return false;
}

const TTema *TTopicList::FindTopic(const QString &name) const {
    const int i = IndexOf(name);
    return i < 0 ? nullptr : &Topic(i);
}

int TTopicList::TopicIndexForRegion(const QString &regionId) const {
    for (int i = 0; i < Count(); ++i)
        if (Topic(i).BaseName.compare(regionId, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QString TTopicList::TopicForRegion(const QString &regionId) const {
    const int i = TopicIndexForRegion(regionId);
    return i < 0 ? QString() : Name(i);
}

QString TTopicList::TopicPath(const QString &name) const {
    const TTema *t = FindTopic(name);
    return t ? t->Path : QString();
}

QString TTopicList::TopicBaseName(const QString &name) const {
    const TTema *t = FindTopic(name);
    return t ? t->BaseName : QString();
}

QString StartupTitle(const QString &programFile) {
    QString name = FileNamePart(programFile);
    const qsizetype dot = name.indexOf(u'.');
    if (dot >= 0)
        name.truncate(dot);
    return name.left(1) + name.mid(1).toLower();
}
