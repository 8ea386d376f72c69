#pragma once
// Environment variables this process sets for itself alone. The menu points its libraries at
// its own plugins and folders through the environment; the programs it opens for the user
// (documents, videos, the mail program, a disc's own programs) must start with the environment
// the user had, not with ours.
#include <QByteArray>
#include <QList>

#include <optional>

namespace platform {

// Sets or removes a variable for this process. The first change of a name remembers the value
// the user had, which launched programs get back.
void SetOwnVariable(const char *name, const QByteArray &value);
void UnsetOwnVariable(const char *name);

// A variable this process changed, with the user's value (none: the user had it unset).
struct TUserVariable {
    QByteArray Name;
    std::optional<QByteArray> Value;
};
QList<TUserVariable> UserVariables();

// The environment for a launched program, as "NAME=value" entries: the current one with each
// variable changed through SetOwnVariable or UnsetOwnVariable back at the user's value.
QList<QByteArray> UserEnvironment();

} // namespace platform
