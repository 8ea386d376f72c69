#include "catalogue/GTemas.h"

#include "lib/DiscPaths.h"
#include "lib/FileSearch.h"
#include "platform/Drives.h"
#include "platform/Files.h"
#include "platform/Profile.h"

#include <QApplication>
#include <QMessageBox>

TTopicList *TopicList = nullptr;
QString TopicsConfigFile;
QString CurrentTopic;

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

QString LocateTopicsFile() {
    const QString first = GresDir + kConfigName;
    if (platform::IsRegularFile(first))
        return platform::ResolveCase(first);
    // Without an optical disc there is nothing more to try: the system disk is never walked.
    const QString cdRoot = FindCDROMRoot();
    if (cdRoot.isEmpty())
        return {};
    const QString volume = platform::VolumeRoot(GresDir);
    const QString second = cdRoot + first.mid(volume.size());
    if (platform::IsRegularFile(second))
        return platform::ResolveCase(second);
    return FindFileInTree(cdRoot, kConfigName);
}

void LoadTopics() {
    ClearTopics();
    if (!TopicList)
        TopicList = new TTopicList;
    TopicsConfigFile = LocateTopicsFile();
    if (TopicsConfigFile.isEmpty())
        return;
    const auto ini = platform::TProfile::Load(TopicsConfigFile);
    const QString section = QStringLiteral("Temas");
    for (const QString &name : ini.KeyNames(section)) {
        if (name.isEmpty())
            continue;
        const QString value = ini.ReadString(section, name);
        if (value.isEmpty())
            continue;
        auto tema = std::make_unique<TTema>();
        // Topic files are always looked for under BaseDir, wherever GES.INI was found.
        tema->Path = AddBackslash(BaseDir) + platform::ToSlashes(value);
        tema->BaseName = BaseNameOf(value);
        if (tema->Path.isEmpty() || tema->BaseName.isEmpty() || !platform::IsRegularFile(tema->Path))
            continue;
        TopicList->Add(name, std::move(tema));
    }
}

void ClearTopics() {
    if (TopicList)
        TopicList->Clear();
}

bool InitTopics() {
    if (!TopicList)
        TopicList = new TTopicList;
    LoadTopics();
    if (!TopicList->IsEmpty())
        return true;
    const QString title = QApplication::applicationDisplayName();
    if (title.toUpper() != u"QOR")
        QMessageBox::critical(nullptr, title, QStringLiteral("Error incializando temas."));
    return false;
}

void DoneTopics() {
    ClearTopics();
    delete TopicList;
    TopicList = nullptr;
    TopicsConfigFile.clear();
    CurrentTopic.clear();
}

namespace {

const TTema *FindTopic(const QString &name) {
    if (!TopicList)
        return nullptr;
    const int i = TopicList->IndexOf(name);
    return i < 0 ? nullptr : &TopicList->Topic(i);
}

int TopicIndexForRegion(const QString &regionId) {
    if (!TopicList)
        return -1;
    for (int i = 0; i < TopicList->Count(); ++i)
        if (TopicList->Topic(i).BaseName.compare(regionId, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

} // namespace

bool IsTopic(const QString &name) { return FindTopic(name) != nullptr; }

bool HasTopicForRegion(const QString &regionId) { return TopicIndexForRegion(regionId) >= 0; }

QString TopicForRegion(const QString &regionId) {
    const int i = TopicIndexForRegion(regionId);
    return i < 0 ? QString() : TopicList->Name(i);
}

QString TopicPath(const QString &name) {
    const TTema *t = FindTopic(name);
    return t ? t->Path : QString();
}

QString TopicBaseName(const QString &name) {
    const TTema *t = FindTopic(name);
    return t ? t->BaseName : QString();
}

bool IsCurrentTopic(const QString &name) { return name.compare(CurrentTopic, Qt::CaseInsensitive) == 0; }

QString StartupTitle(const QString &programFile) {
    QString name = FileNamePart(programFile);
    const qsizetype dot = name.indexOf(u'.');
    if (dot >= 0)
        name.truncate(dot);
    return name.left(1) + name.mid(1).toLower();
}
