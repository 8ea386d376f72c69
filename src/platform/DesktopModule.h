#pragma once
// The desktop's side of launching (default applications, URI handlers, content types), as the
// shared module libtelvaro_desktop.so hands it to Shell. The module holds all the GIO code, so
// the program maps GIO and what it pulls in only when something is first opened, not before its
// window appears. Plain types only: the table is the whole contract.

namespace platform::desktop {

constexpr int kTableVersion = 1;

// A variable of the user's environment for the launched application; a null Value unsets it.
struct TVariable {
    const char *Name;
    const char *Value;
};

struct TTable {
    int Version;
    // Opens Uri with its scheme's default handler, as written; false when none started.
    bool (*OpenUri)(const char *uri, const TVariable *env, int envCount);
    // Opens a file (a path in the file system's encoding) with the default application for
    // its content type; false when there is none or it did not start.
    bool (*OpenFile)(const char *path, const TVariable *env, int envCount);
    // The default application's command line for a content type, to be freed with g_free;
    // null when there is none.
    char *(*DefaultCommandFor)(const char *contentType);
};

} // namespace platform::desktop

// The module's one exported symbol.
extern "C" const platform::desktop::TTable *telvaro_desktop_table();
