// The media module's table: the one symbol libtelvaro_media.so exports.
#include "platform/MediaModule.h"
#include "platform/media/GstCommon.h"

namespace platform {
namespace gstcue {
bool Play(const char *uri, bool wait);
void Stop();
void Free();
} // namespace gstcue
namespace gstpipe {
media::TPipe *Open(const char *uri, media::TEventSink sink, void *context);
int Wait(media::TPipe *pipe, int limitMs);
bool Play(media::TPipe *pipe);
bool Pause(media::TPipe *pipe);
bool Seek(media::TPipe *pipe, double seconds);
double Position(media::TPipe *pipe);
void Close(media::TPipe *pipe);
} // namespace gstpipe

namespace {

bool Available() {
    static const bool available = [] {
        GstElement *p = gstcommon::MakeAudioPlaybin(nullptr);
        if (!p)
            return false;
        gst_object_unref(p);
        return true;
    }();
    return available;
}

bool Mp3Supported() {
    static const bool supported = [] {
        if (!gstcommon::Init())
            return false;
        gstcommon::LoadPluginsFor("a.mp3");
        GList *decoders = gst_element_factory_list_get_elements(
            GST_ELEMENT_FACTORY_TYPE_DECODER | GST_ELEMENT_FACTORY_TYPE_MEDIA_AUDIO, GST_RANK_MARGINAL);
        GstCaps *mp3 = gst_caps_from_string("audio/mpeg, mpegversion=(int)1, layer=(int)3");
        GList *fit = gst_element_factory_list_filter(decoders, mp3, GST_PAD_SINK, FALSE);
        const bool found = fit != nullptr;
        gst_plugin_feature_list_free(fit);
        gst_plugin_feature_list_free(decoders);
        gst_caps_unref(mp3);
        return found;
    }();
    return supported;
}

constexpr media::TTable kTable = {
    media::kTableVersion,
    Available,
    Mp3Supported,
    gstcue::Play,
    gstcue::Stop,
    gstcue::Free,
    gstpipe::Open,
    gstpipe::Wait,
    gstpipe::Play,
    gstpipe::Pause,
    gstpipe::Seek,
    gstpipe::Position,
    gstpipe::Close,
};

} // namespace

} // namespace platform

extern "C" __attribute__((visibility("default"))) const platform::media::TTable *telvaro_media_table() {
    return &platform::kTable;
}
