// Started by test_bundle as a bundled program would be: it sets itself up as the menu does first
// thing, starts Qt, and prints what it found, one "name=value" line each.
#include "platform/Bundle.h"

#include <QCoreApplication>
#include <QLibraryInfo>

#include <cstdio>

int main(int argc, char **argv) {
    platform::SetUpProgram(argv[0]);
    QCoreApplication app(argc, argv);
    const auto line = [](const char *name, const QString &value) { std::printf("%s=%s\n", name, qPrintable(value)); };
    line("program", platform::ProgramFile());
    line("bundle", platform::BundleFolder());
    line("icons", platform::BundleIconTheme());
    line("translations", platform::QtTranslationsFolder());
    line("qt-plugins", QCoreApplication::libraryPaths().join(u':'));
    line("qt-installed-plugins", QLibraryInfo::path(QLibraryInfo::PluginsPath));
    for (const char *name : {"GST_PLUGIN_SYSTEM_PATH_1_0", "GST_PLUGIN_PATH_1_0", "GST_REGISTRY_DISABLE", "TELVARO_GST_PLUGINS", "GIO_MODULE_DIR", "GIO_LAUNCH_DESKTOP", "XDG_DATA_DIRS"})
        line(name, qEnvironmentVariableIsSet(name) ? qEnvironmentVariable(name) : QStringLiteral("(unset)"));
    return 0;
}
