#include "platform/media/GstCommon.h"

#include <cstdlib>
#include <string>

namespace platform::gstcommon {

namespace {
constexpr guint kPlayFlagAudio = 0x2; // GST_PLAY_FLAG_AUDIO: the enum is not in a public header

// What a button's WAV click needs, from the source to the sound server's sink.
constexpr const char *kCuePlugins[] = {"coreelements", "playback", "typefindfunctions", "wavparse", "audioconvert",
                                       "audioresample", "volume", "autodetect", "pulseaudio", "alsa"};

// A bundle's plugins are loaded by name instead of being found by a registry scan: the scan
// opens every plugin and the libraries each needs (the MIDI synthesiser's alone are megabytes),
// which from a disc takes most of a minute before the first click can sound. The bundle says
// where its plugins are, and that GStreamer keeps no registry for them.
const char *BundlePlugins() {
    const char *folder = std::getenv("TELVARO_GST_PLUGINS");
    return folder && *folder ? folder : nullptr;
}

void LoadPluginFile(const char *folder, const char *fileName) {
    const std::string path = std::string(folder) + "/" + fileName;
    if (GstPlugin *plugin = gst_plugin_load_file(path.c_str(), nullptr))
        gst_object_unref(plugin);
}

// A plugin by its name ("wavparse" is libgstwavparse.so).
void LoadPlugin(const char *folder, const char *name) {
    LoadPluginFile(folder, (std::string("libgst") + name + ".so").c_str());
}
} // namespace

bool Init() {
    // gst_init_check is idempotent, but its answer is kept so a failed start is not retried on
    // every cue.
    static const bool started = [] {
        if (!gst_init_check(nullptr, nullptr, nullptr))
            return false;
        if (const char *folder = BundlePlugins())
            for (const char *name : kCuePlugins)
                LoadPlugin(folder, name);
        return true;
    }();
    return started;
}

void LoadPluginsFor(const char *uri) {
    const char *folder = BundlePlugins();
    if (!folder || !Init())
        return;
    // By the file's extension: the MIDI synthesiser and the libraries it needs (megabytes, from
    // a disc seconds) are only read for a MIDI track.
    static const struct {
        const char *Extensions[4];
        const char *Plugins[3];
    } kByType[] = {
        {{".mp3", ".mp2", ".mpga", ".mpa"}, {"audioparsers", "mpg123", "id3demux"}},
        {{".mid", ".midi", ".rmi", ".kar"}, {"midi", "fluidsynthmidi", nullptr}},
        {{".wav", ".wave", nullptr, nullptr}, {nullptr, nullptr, nullptr}},
    };
    gchar *down = g_ascii_strdown(uri ? uri : "", -1);
    const std::string lower(down);
    g_free(down);
    for (const auto &type : kByType)
        for (const char *extension : type.Extensions)
            if (extension && g_str_has_suffix(lower.c_str(), extension)) {
                for (const char *name : type.Plugins)
                    if (name)
                        LoadPlugin(folder, name);
                return;
            }
    // Anything else may need any of them. Loading a plugin twice gives the one already loaded.
    if (GDir *dir = g_dir_open(folder, 0, nullptr)) {
        while (const char *name = g_dir_read_name(dir))
            if (g_str_has_suffix(name, ".so"))
                LoadPluginFile(folder, name);
        g_dir_close(dir);
    }
}

GstElement *MakeAudioSink() {
    const char *description = std::getenv("TELVARO_AUDIO_SINK");
    if (!description || !*description)
        return nullptr;
    GError *error = nullptr;
    GstElement *bin = gst_parse_bin_from_description(description, TRUE, &error);
    if (error) {
        // A description with an unknown element may still give a partial bin; playing into it
        // would be silent in a way nobody could tell from the default sink's silence.
        g_error_free(error);
        if (bin)
            gst_object_unref(gst_object_ref_sink(bin));
        return nullptr;
    }
    return bin;
}

GstElement *MakeAudioPlaybin(const char *name, const char *uri) {
    if (!Init())
        return nullptr;
    if (uri)
        LoadPluginsFor(uri);
    GstElement *p = gst_element_factory_make("playbin", name);
    if (!p)
        return nullptr;
    g_object_set(p, "flags", kPlayFlagAudio, nullptr);
    if (GstElement *sink = MakeAudioSink())
        g_object_set(p, "audio-sink", sink, nullptr); // playbin sinks the floating reference
    return p;
}

void DropMessages(GstElement *pipeline) {
    GstBus *bus = gst_element_get_bus(pipeline);
    gst_bus_set_flushing(bus, TRUE);
    gst_bus_set_flushing(bus, FALSE);
    gst_object_unref(bus);
}

} // namespace platform::gstcommon
