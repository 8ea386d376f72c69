#pragma once
// telvaro-check: reads a disc folder with the menu's own code and says what the menu will do
// and what it will skip; also reads map text and pictures the way the menu and its viewer do.
#include <QByteArray>
#include <QString>
#include <QStringList>

// One run of the tool: what it writes to standard output and standard error, and its exit code.
struct TCheckRun {
    int ExitCode = 0;
    QByteArray Out;
    QByteArray Err;
};

// Exit codes: the menu would start; it would show "Error incializando temas." (or a picture
// command failed); the command line was wrong.
constexpr int kExitStarts = 0;
constexpr int kExitFails = 1;
constexpr int kExitUsage = 2;

// Runs the tool in this process with Arguments (without the program name). Needs a
// QApplication. Each disc it reads is a value of its own, gone when it returns.
TCheckRun RunCheck(const QStringList &arguments);
