#pragma once
// For the targets that drive widgets: one headless application for the whole process.
#include "FuzzSupport.h"

#include <QApplication>

namespace fuzzsupport {

// The application is made at the first input and lives until the process ends, as libFuzzer
// never returns to us. Unless QT_QPA_PLATFORM says otherwise, it draws offscreen.
inline void EnsureApplication() {
    if (QApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "telvaro-fuzz";
    static char *argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

} // namespace fuzzsupport
