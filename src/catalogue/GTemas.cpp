#include "catalogue/GTemas.h"

#include "lib/DiscPaths.h"
#include "lib/FileSearch.h"
#include "platform/Drives.h"
#include "platform/Files.h"
#include "platform/Profile.h"

#include <QApplication>
#include <QMessageBox>

namespace {

const QString kConfigName = QStringLiteral("GES.INI");

// The file name part of Value without its extension.
QString BaseNameOf(const QString &value) {
    QString name = FileNamePart(value);
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot >= 0)
        name.truncate(dot);
    return name;
}

} // namespace

QString LocateTopicsFile(const QString &gresDir) {
    const QString first = gresDir + kConfigName;
    if (platform::IsRegularFile(first))
        return platform::ResolveCase(first);
    // Without an optical disc there is nothing more to try: the system disk is never walked.
    const QString cdRoot = FindCDROMRoot();
    if (cdRoot.isEmpty())
        return {};
    const QString volume = platform::VolumeRoot(gresDir);
    const QString second = cdRoot + first.mid(volume.size());
    if (platform::IsRegularFile(second))
        return platform::ResolveCase(second);
    return FindFileInTree(cdRoot, kConfigName);
}

TTopicList LoadTopics(const QString &configFile, const QString &baseDir) {
    TTopicList topics;
    if (configFile.isEmpty())
        return topics;
    const auto ini = platform::TProfile::Load(configFile);
    const QString section = QStringLiteral("Temas");
    for (const QString &name : ini.KeyNames(section)) {
        if (name.isEmpty())
            continue;
        const QString value = ini.ReadString(section, name);
        if (value.isEmpty())
            continue;
        auto tema = std::make_unique<TTema>();
        // Topic files are always looked for under BaseDir, wherever GES.INI was found.
        tema->Path = AddBackslash(baseDir) + platform::ToSlashes(value);
        tema->BaseName = BaseNameOf(value);
        if (tema->Path.isEmpty() || tema->BaseName.isEmpty() || !platform::IsRegularFile(tema->Path))
            continue;
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
