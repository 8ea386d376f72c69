#include "catalogue/TreeIcons.h"

#include "catalogue/GItem.h"
#include "platform/Bundle.h"
#include "platform/Files.h"
#include "platform/Shell.h"

#include <QApplication>
#include <QMimeDatabase>
#include <QPainter>
#include <QStyle>

QString IconRoleName(TIconRole role) {
    switch (role) {
    case TIconRole::Folder: return QStringLiteral("folder");
    case TIconRole::Pictures: return QStringLiteral("pictures");
    case TIconRole::Programs: return QStringLiteral("programs");
    case TIconRole::File: return QStringLiteral("file");
    case TIconRole::Broken: return QStringLiteral("broken");
    }
    return {};
}

QString ItemTargetFile(const TItem &item) {
    // A folder whose name has a dot is as real a target as a file.
    const QString real = platform::ResolveCase(item.Exe);
    if (!real.isEmpty())
        return real;
    // A target with arguments opens as a command line: what counts is whether the launcher finds
    // its program, by the very rule it uses.
    const QString program = platform::ParseCommandLine(item.Exe).Program;
    return program.isEmpty() ? QString() : platform::ResolveCase(program);
}

TIconRole ItemIconRole(const TItem &item) {
    if (item.Exe.isEmpty())
        return TIconRole::Folder;
    if (IsCollection(item))
        return IsPictureCollection(item) ? TIconRole::Pictures : TIconRole::Programs;
    return ItemTargetFile(item).isEmpty() ? TIconRole::Broken : TIconRole::File;
}

namespace {

constexpr int kSizes[] = {16, 32};

// The names each role is drawn from; the first one the theme has wins.
const char *const kBrokenNames[] = {"image-missing", "emblem-unreadable", "dialog-error"};

bool ThemeServes() {
    return QIcon::hasThemeIcon(QStringLiteral("folder")) && QIcon::hasThemeIcon(QStringLiteral("folder-pictures")) &&
           QIcon::hasThemeIcon(QStringLiteral("application-x-executable"));
}

QIcon ThemeIcon(const QString &name, const QString &otherwise) {
    return QIcon::fromTheme(QIcon::hasThemeIcon(name) ? name : otherwise);
}

// Normal mode shows the closed image, Selected mode the open one; an expanded node asks for the
// On state, which shows the same images. Giving Selected its own image also keeps the style
// from tinting it.
QIcon Pair(const QIcon &closed, const QIcon &open, const QIcon &overlay = {}) {
    QIcon icon;
    for (int size : kSizes) {
        for (int which = 0; which < 2; ++which) {
            QPixmap pix = (which == 0 ? closed : open).pixmap(size, size);
            if (!overlay.isNull() && !pix.isNull()) {
                // A program collection is a folder with a program on it.
                QPainter p(&pix);
                const int s = size * 5 / 8;
                p.drawPixmap(size - s, size - s, overlay.pixmap(s, s));
            }
            const QIcon::Mode mode = which == 0 ? QIcon::Normal : QIcon::Selected;
            icon.addPixmap(pix, mode, QIcon::Off);
            icon.addPixmap(pix, mode, QIcon::On);
        }
    }
    return icon;
}

QIcon Same(const QIcon &image) { return Pair(image, image); }

} // namespace

void TTreeIcons::Load() {
    if (FReady)
        return;
    FReady = true;
    if (FSource == TIconSource::Style) {
        LoadStyleIcons();
        return;
    }
    // A disc's bundle carries its own icons, so that the tree looks the same on every desktop.
    const QString bundled = platform::BundleIconTheme();
    if (!bundled.isEmpty())
        QIcon::setThemeName(bundled);
    if (!ThemeServes()) {
        // Without a desktop the theme is often plain hicolor, which has no folders.
        const QString previous = QIcon::themeName();
        QIcon::setThemeName(QStringLiteral("Adwaita"));
        if (!ThemeServes())
            QIcon::setThemeName(previous);
    }
    FFromTheme = ThemeServes();
    if (FFromTheme)
        LoadThemeIcons();
    else
        LoadStyleIcons();
}

QIcon TTreeIcons::RoleIcon(TIconRole role, const QString &file) {
    Load();
    if (role == TIconRole::File && !file.isEmpty())
        return FileIcon(file);
    return FRole[int(role)];
}

QString TTreeIcons::Source() {
    Load();
    return FFromTheme ? QStringLiteral("theme") : QStringLiteral("style");
}

void TTreeIcons::LoadThemeIcons() {
    const QIcon folder = QIcon::fromTheme(QStringLiteral("folder"));
    const QIcon folderOpen = ThemeIcon(QStringLiteral("folder-open"), QStringLiteral("folder"));
    const QIcon pictures = QIcon::fromTheme(QStringLiteral("folder-pictures"));
    const QIcon picturesOpen = ThemeIcon(QStringLiteral("folder-pictures-open"), QStringLiteral("folder-pictures"));
    const QIcon program = QIcon::fromTheme(QStringLiteral("application-x-executable"));
    QString broken = QStringLiteral("image-missing");
    for (const char *name : kBrokenNames)
        if (QIcon::hasThemeIcon(QLatin1String(name))) {
            broken = QLatin1String(name);
            break;
        }
    FRole[int(TIconRole::Folder)] = Pair(folder, folderOpen);
    FRole[int(TIconRole::Pictures)] = Pair(pictures, picturesOpen);
    FRole[int(TIconRole::Programs)] = Pair(folder, folderOpen, program);
    FRole[int(TIconRole::File)] = Same(ThemeIcon(QStringLiteral("text-x-generic"), QStringLiteral("unknown")));
    FRole[int(TIconRole::Broken)] = Same(QIcon::fromTheme(broken));
}

void TTreeIcons::LoadStyleIcons() {
    QStyle *style = QApplication::style();
    FRole[int(TIconRole::Folder)] =
        Pair(style->standardIcon(QStyle::SP_DirClosedIcon), style->standardIcon(QStyle::SP_DirOpenIcon));
    FRole[int(TIconRole::Pictures)] = Same(style->standardIcon(QStyle::SP_FileDialogContentsView));
    FRole[int(TIconRole::Programs)] = Same(style->standardIcon(QStyle::SP_ComputerIcon));
    FRole[int(TIconRole::File)] = Same(style->standardIcon(QStyle::SP_FileIcon));
    FRole[int(TIconRole::Broken)] = Same(style->standardIcon(QStyle::SP_MessageBoxCritical));
}

QIcon TTreeIcons::FileIcon(const QString &file) {
    static const QMimeDatabase mimes;
    const QMimeType type = mimes.mimeTypeForFile(file);
    if (!FFromTheme || !type.isValid())
        return FRole[int(TIconRole::File)];
    auto it = FFiles.constFind(type.name());
    if (it != FFiles.constEnd())
        return *it;
    QIcon icon = FRole[int(TIconRole::File)];
    for (const QString &name : {type.iconName(), type.genericIconName()})
        if (!name.isEmpty() && QIcon::hasThemeIcon(name)) {
            icon = Same(QIcon::fromTheme(name));
            break;
        }
    FFiles.insert(type.name(), icon);
    return icon;
}
