#pragma once
// Classifying targets by extension and opening them: the desktop's default application, a
// direct run of a command line, the registered video player, a mail link. Every opener answers
// whether it launched something and shows nothing itself.
#include <QString>

bool IsMediaFile(const QString &path);
bool IsPictureFile(const QString &path);
// Whether a target's mask names pictures ("*.jpg" or "*.gif", in any case).
bool HasPictureWildcard(const QString &path);

bool ShellRun(const QString &target, const QString &verb, const QString &parameters);
bool ShellOpen(const QString &target);
bool ShellPlay(const QString &target);
bool RunMediaCommand(const QString &file);
// The desktop command line Command with File put in place of its file field code; empty when
// it has none.
QString MediaCommandFor(QString command, const QString &file);
bool SendMail(const QString &address, const QString &subject);

