#pragma once
// The topic list of "GES.INI" section "Temas": one record per topic, in the lines' order.
#include "catalogue/NamedList.h"
#include "lib/LoadNotes.h"

#include <QString>

#include <memory>
#include <utility>
#include <vector>

struct TTema {
    QString Path;     // full path of the topic's items file: BaseDir + the value as written
    QString BaseName; // file name of the value without its extension: the topic region's id
};

// Ordered (topic name as written, record) pairs; owns its records. Lookups ignore case.
class TTopicList : public TNamedList<TTema> {
public:
    const TTema &Topic(int i) const { return *At(i); }

    // Lookups by topic name or by region id; all ignore case. The string results are empty
    // when no topic matches.
    bool IsTopic(const QString &name) const { return FindTopic(name) != nullptr; }
    bool HasTopicForRegion(const QString &regionId) const { return TopicIndexForRegion(regionId) >= 0; }
    // The first topic, in list order, whose BaseName is the region id.
    QString TopicForRegion(const QString &regionId) const;
    QString TopicPath(const QString &name) const;
    QString TopicBaseName(const QString &name) const;

private:
    const TTema *FindTopic(const QString &name) const;
    int TopicIndexForRegion(const QString &regionId) const;
};

// The three places the topic list's "GES.INI" is looked for, in order: GresDir, the same path
// on the first optical disc, then a search of that disc. The first that exists is used; empty
// when there is none.
QString LocateTopicsFile(const QString &gresDir, TLoadNotes *notes = nullptr);

// The topics of ConfigFile's section "Temas"; their items files lie under BaseDir.
TTopicList LoadTopics(const QString &configFile, const QString &baseDir, TLoadNotes *notes = nullptr);

// Start-up of the topic list: when no topic could be loaded, shows "Error incializando temas."
// (unless the application's title is "QOR") and returns false: the program then ends.
bool TopicsLoaded(const TTopicList &topics);

// The application's title during start-up: the program file's name up to its first dot,
// first letter as written, the rest in lower case.
QString StartupTitle(const QString &programFile);
