// The desktop module's table: GIO's application lookup and launching.
#include "platform/DesktopModule.h"

#include <gio/gio.h>

#include <cstring>

namespace platform {

namespace {

using desktop::TVariable;

bool LaunchApp(GAppInfo *app, GList *files, GList *uris, const TVariable *env, int envCount) {
    GError *error = nullptr;
    GAppLaunchContext *ctx = g_app_launch_context_new();
    // The application starts with the user's environment, not the one this process set for
    // itself (plugin folders, registry, modules of the menu's own libraries).
    for (int i = 0; i < envCount; ++i) {
        if (env[i].Value)
            g_app_launch_context_setenv(ctx, env[i].Name, env[i].Value);
        else
            g_app_launch_context_unsetenv(ctx, env[i].Name);
    }
    const gboolean ok = uris ? g_app_info_launch_uris(app, uris, ctx, &error) : g_app_info_launch(app, files, ctx, &error);
    g_object_unref(ctx);
    if (error)
        g_error_free(error);
    return ok;
}

bool OpenUri(const char *uri, const TVariable *env, int envCount) {
    const char *colon = std::strchr(uri, ':');
    if (!colon)
        return false;
    char *scheme = g_ascii_strdown(uri, colon - uri);
    GAppInfo *app = g_app_info_get_default_for_uri_scheme(scheme);
    g_free(scheme);
    if (!app)
        return false;
    // The link goes to the handler as written: nothing is percent-encoded.
    GList *uris = g_list_append(nullptr, const_cast<char *>(uri));
    const bool ok = LaunchApp(app, nullptr, uris, env, envCount);
    g_list_free(uris);
    g_object_unref(app);
    return ok;
}

bool OpenFile(const char *path, const TVariable *env, int envCount) {
    GFile *file = g_file_new_for_path(path);
    GFileInfo *info = g_file_query_info(file, G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE, G_FILE_QUERY_INFO_NONE, nullptr, nullptr);
    bool ok = false;
    if (info) {
        if (const char *type = g_file_info_get_content_type(info)) {
            if (GAppInfo *app = g_app_info_get_default_for_type(type, FALSE)) {
                GList *files = g_list_append(nullptr, file);
                ok = LaunchApp(app, files, nullptr, env, envCount);
                g_list_free(files);
                g_object_unref(app);
            }
        }
        g_object_unref(info);
    }
    g_object_unref(file);
    return ok;
}

char *DefaultCommandFor(const char *contentType) {
    GAppInfo *app = g_app_info_get_default_for_type(contentType, FALSE);
    if (!app)
        return nullptr;
    char *line = g_strdup(g_app_info_get_commandline(app));
    g_object_unref(app);
    return line;
}

constexpr desktop::TTable kTable = {desktop::kTableVersion, OpenUri, OpenFile, DefaultCommandFor};

} // namespace

} // namespace platform

extern "C" __attribute__((visibility("default"))) const platform::desktop::TTable *telvaro_desktop_table() {
    return &platform::kTable;
}
