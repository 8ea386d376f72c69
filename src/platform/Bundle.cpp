#include "platform/Bundle.h"

#include "platform/Environment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>

#include <sys/auxv.h>
#include <unistd.h>

namespace platform {

namespace {

// Names of the bundle's parts, as scripts/make-disc lays them out.
constexpr char kMarker[] = "bundle.txt";
constexpr char kIconTheme[] = "telvaro";

QString gProgramFile;
QString gBundleFolder;

// The kernel names the interpreter's load address in AT_BASE. A program started through the
// dynamic loader ("ld-linux-x86-64.so.2 PROGRAM") has none: the loader itself is what the
// kernel ran, /proc/self/exe names the loader, and the program's path is only in argv[0].
bool StartedByLoader() { return getauxval(AT_BASE) == 0; }

QString Canonical(const QString &path) {
    const QString real = QFileInfo(path).canonicalFilePath();
    return real.isEmpty() ? path : real;
}

} // namespace

void SetUpProgram(const char *argv0) {
    QString program;
    if (StartedByLoader()) {
        if (argv0 && *argv0)
            program = Canonical(QDir::current().absoluteFilePath(QFile::decodeName(argv0)));
    } else {
        program = Canonical(QStringLiteral("/proc/self/exe"));
    }
    if (program.isEmpty() || !QFileInfo(program).isFile())
        return;
    gProgramFile = program;
    UseBundle(QFileInfo(program).path());
}

QString ProgramFile() { return gProgramFile.isEmpty() ? QCoreApplication::applicationFilePath() : gProgramFile; }

QString BundleFolder() { return gBundleFolder; }

void NoteWindowShown() {
    if (gBundleFolder.isEmpty())
        return;
    QFile shown(gBundleFolder + QStringLiteral("/.shown"));
    (void)shown.open(QIODevice::WriteOnly);
}

QString BundleIconTheme() {
    if (gBundleFolder.isEmpty())
        return {};
    return QLatin1String(kIconTheme);
}

QString QtTranslationsFolder() {
    // qt.conf says the same when Qt finds it, but Qt looks for it beside the file the kernel
    // started, which is the loader's when the program was started through it.
    if (!gBundleFolder.isEmpty())
        return gBundleFolder + QStringLiteral("/translations");
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

QByteArray AppendDataFolder(const QByteArray &dataDirs, const QByteArray &folder) {
    const QByteArray current = dataDirs.isEmpty() ? QByteArrayLiteral("/usr/local/share:/usr/share") : dataDirs;
    if (current.split(':').contains(folder))
        return current;
    return current + ':' + folder;
}

bool UseBundle(const QString &folder) {
    const QString b = Canonical(folder);
    if (!QFileInfo(b + u'/' + QLatin1String(kMarker)).isFile())
        return false;
    gBundleFolder = b;
    const auto native = [&](const char *rel) { return QFile::encodeName(b + u'/' + QLatin1String(rel)); };

    // Qt: plugins from the bundle alone; a user's QT_PLUGIN_PATH would bring in plugins built
    // for the host's Qt.
    QCoreApplication::setLibraryPaths({b + QStringLiteral("/plugins")});
    UnsetOwnVariable("QT_QPA_PLATFORM_PLUGIN_PATH");

    // GStreamer: the bundle's plugins only, loaded by name by the media module (the click's
    // first, the music's decoders with the first track). No registry is read, scanned or
    // written: a scan opens every plugin and the libraries each needs, which from a disc held
    // the first click for half a minute, and a registry cached from another start would name
    // plugins wherever that start's bundle lay.
    SetOwnVariable("GST_PLUGIN_SYSTEM_PATH_1_0", native("gstreamer-1.0"));
    UnsetOwnVariable("GST_PLUGIN_PATH_1_0");
    UnsetOwnVariable("GST_PLUGIN_PATH");
    SetOwnVariable("GST_REGISTRY_DISABLE", "yes");
    SetOwnVariable("TELVARO_GST_PLUGINS", native("gstreamer-1.0"));

    // GIO: no modules at all. The host's are built for its own GLib, not the bundle's.
    SetOwnVariable("GIO_MODULE_DIR", native("gio-modules"));
    UnsetOwnVariable("GIO_EXTRA_MODULES");
    // GIO starts applications through a small helper, looked for where the bundle's GLib was
    // built to keep it; another system's GLib keeps it elsewhere. One that cannot be run (a copy
    // without execute bits) is left out, and GIO looks for the host's.
    if (::access(native("libexec/gio-launch-desktop").constData(), X_OK) == 0)
        SetOwnVariable("GIO_LAUNCH_DESKTOP", native("libexec/gio-launch-desktop"));

    // The bundle's icons and sound font are found through the data folders; the host's come
    // first, so its MIME database and desktop files are the ones read.
    SetOwnVariable("XDG_DATA_DIRS", AppendDataFolder(qgetenv("XDG_DATA_DIRS"), native("share")));
    return true;
}

} // namespace platform
