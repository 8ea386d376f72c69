#pragma once
// Classifying targets by extension and opening them: the desktop's default application, a
// direct run of a command line, the registered video player, a mail link. Every opener answers
// whether it launched something and shows nothing itself.
#include <QString>

bool IsMediaFile(const QString &path);
bool IsPictureFile(const QString &path);

bool ShellRun(const QString &target, const QString &verb, const QString &parameters);
bool ShellOpen(const QString &target);
bool ShellPlay(const QString &target);
bool RunMediaCommand(const QString &file);
// The desktop command line Command with File put in place of its file field code; empty when
// it has none.
QString MediaCommandFor(QString command, const QString &file);
bool SendMail(const QString &address, const QString &subject);

// The extension of a path: from its last "." on, when no separator or ":" follows; else empty.
QString ExtensionOf(const QString &path);
