#pragma once
// The icons of the catalogue tree's nodes: what each icon stands for, which one an item gets,
// and where the pictures come from (the icon theme, or the style's own).
#include <QHash>
#include <QIcon>
#include <QString>

struct TItem;

// What a node's icon stands for. Every role looks different from the others.
enum class TIconRole {
    Folder,   // a folder node (no target)
    Pictures, // a collection of JPEG or GIF pictures
    Programs, // any other collection (a folder or a mask)
    File,     // an existing file: its own icon
    Broken,   // a target that does not exist
};
// "folder", "pictures", "programs", "file", "broken".
QString IconRoleName(TIconRole role);

// The role FillTree gives an item's node (it looks at the disc for targets that are not
// collections).
TIconRole ItemIconRole(const TItem &item);
// The file an item's target opens, or the program of a target with arguments; empty when
// there is none.
QString ItemTargetFile(const TItem &item);

// Style: the style's own icons even when a theme is installed (how a bare system looks).
enum class TIconSource { Auto, Style };

// The icons of the tree's nodes, fetched on first use (the freedesktop theme, falling back to
// Adwaita when the current theme lacks them and to the style's own icons when no theme is
// installed). Its pixmaps must go before the application object does.
class TTreeIcons {
public:
    explicit TTreeIcons(TIconSource source = TIconSource::Auto) : FSource(source) {}
    // The icon of a role; the closed image is the normal mode, the open one the selected mode.
    // For File, the icon of the given existing file.
    QIcon RoleIcon(TIconRole role, const QString &file = {});
    // Where the role icons came from: "theme", or "style" when no icon theme serves.
    QString Source();

private:
    void Load();
    void LoadThemeIcons();
    void LoadStyleIcons();
    QIcon FileIcon(const QString &file);

    TIconSource FSource;
    bool FReady = false;
    bool FFromTheme = false;
    QIcon FRole[5];
    QHash<QString, QIcon> FFiles; // by MIME type name
};
