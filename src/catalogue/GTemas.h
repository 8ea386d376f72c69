#pragma once
// The topic list of "GES.INI" section "Temas": one record per topic, in the lines' order.
#include "catalogue/NamedList.h"

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
};

extern TTopicList *TopicList;
// The file the topic list was read from, or empty when none was found.
extern QString TopicsConfigFile;

// Fills TopicList from "GES.INI": GresDir first, then the same path on the first optical disc,
// then a search of that disc.
void LoadTopics();
void ClearTopics();

// The three places LoadTopics looks for "GES.INI", in order; the first that exists is used.
QString LocateTopicsFile();

// Start-up of the topic list: when no topic can be loaded, shows "Error incializando temas."
// (unless the application's title is "QOR") and returns false: the program then ends.
bool InitTopics();
// Frees the topic list and forgets the current topic.
void DoneTopics();

// The topic name last shown successfully by FillTree; empty at start.
extern QString CurrentTopic;

// Lookups by topic name or by region id; all ignore case. The string results are empty when no
// topic matches.
bool IsTopic(const QString &name);
bool HasTopicForRegion(const QString &regionId);
// The first topic, in list order, whose BaseName is the region id.
QString TopicForRegion(const QString &regionId);
QString TopicPath(const QString &name);
QString TopicBaseName(const QString &name);
bool IsCurrentTopic(const QString &name);

// The application's title during start-up: the program file's name up to its first dot,
// first letter as written, the rest in lower case.
QString StartupTitle(const QString &programFile);
