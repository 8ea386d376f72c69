#pragma once
// The copy of a file that a person asked for ("Guardar imagen ..."): questions, progress and
// errors as the desktop's own file copy shows them.
#include <QString>

#include <functional>

class QWidget;

// Copies Source to Target as the desktop's file copy does: asks before replacing, shows
// progress for large files, reports a failure in an error box, and never leaves a partial file.
void ShellCopyFile(QWidget *owner, const QString &source, const QString &target);

// The questions and errors ShellCopyFile shows; tests answer them without a window.
struct TCopyPrompts {
    std::function<bool(QWidget *owner, const QString &question)> AskReplace;
    std::function<void(QWidget *owner, const QString &message)> ShowError;
};
void SetCopyPromptsForTesting(TCopyPrompts prompts);
// Files from this size on show a progress dialog while they are copied.
constexpr qint64 kCopyProgressFrom = 8 * 1024 * 1024;
