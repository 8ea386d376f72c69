#include "platform/Media.h"

#include "platform/Files.h"
#include "platform/GstCommon.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QUrl>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>

namespace platform {

namespace {

// At the synthesiser's own gain (0.2) a General-MIDI piece sounds about 20 dB quieter than a
// mastered track. At 2.0 a waltz of a few voices reaches the loudness of the disc's MP3 and WAV
// tracks (RMS about -20 dBFS, peaks about -5 dBFS) and keeps some headroom for denser pieces.
constexpr double kMidiGain = 2.0;

// The synthesiser, left to itself, loads the first file it can read from its data folders, which
// need not be a General-MIDI set. Name one: the system's chosen default first.
std::string GeneralMidiSoundfont() {
    static const char *const folders[] = {"sounds/sf2", "soundfonts"};
    static const char *const names[] = {"default-GM.sf2", "TimGM6mb.sf2", "FluidR3_GM.sf2"};
    for (const char *name : names)
        for (const gchar *const *dir = g_get_system_data_dirs(); *dir; ++dir)
            for (const char *folder : folders) {
                const QString path = QString::fromUtf8(*dir) + u'/' + QLatin1String(folder) + u'/' +
                                     QLatin1String(name);
                if (QFileInfo(path).isFile())
                    return path.toStdString();
            }
    return {};
}

void OnElementSetup(GstElement *, GstElement *element, gpointer) {
    GstElementFactory *factory = gst_element_get_factory(element);
    if (!factory || g_strcmp0(gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory)), "fluiddec") != 0)
        return;
    static const std::string soundfont = GeneralMidiSoundfont();
    g_object_set(element, "synth-gain", kMidiGain, nullptr);
    if (!soundfont.empty())
        g_object_set(element, "soundfont", soundfont.c_str(), nullptr);
}

} // namespace

// What the bus's sync handler, on GStreamer's threads, shares with the player. The handler holds
// its own reference, so the link outlives a player that is freed while a message is in flight.
struct TMediaPlayer::TLink {
    // Read and written on the GUI thread only: the player that takes this pipeline's notices;
    // null once the pipeline is being closed.
    TMediaPlayer *Player = nullptr;

    // Open's wait for the preroll, answered from the streaming threads.
    std::mutex Lock;
    std::condition_variable Changed;
    bool Prerolled = false;
    bool Errored = false;
    bool Opening = true; // errors still answer Open's wait instead of becoming notices

    // Any thread: queues the notice for the GUI thread.
    static void Deliver(const std::shared_ptr<TLink> &link, TNotice notice) {
        QCoreApplication *app = QCoreApplication::instance();
        if (!app)
            return;
        QMetaObject::invokeMethod(
            app,
            [link, notice] {
                if (link->Player)
                    link->Player->Post(notice);
            },
            Qt::QueuedConnection);
    }

    // GStreamer's threads (and the GUI thread while states change): the bus's sync handler.
    static GstBusSyncReply OnBus(GstBus *, GstMessage *message, gpointer data) {
        const std::shared_ptr<TLink> &link = *static_cast<std::shared_ptr<TLink> *>(data);
        switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_ASYNC_DONE: {
            std::lock_guard guard(link->Lock);
            link->Prerolled = true;
            link->Changed.notify_all();
            break;
        }
        case GST_MESSAGE_ERROR: {
            bool opening;
            {
                std::lock_guard guard(link->Lock);
                link->Errored = true;
                opening = link->Opening;
                link->Changed.notify_all();
            }
            if (!opening)
                Deliver(link, TNotice::Failed);
            break;
        }
        case GST_MESSAGE_EOS:
            Deliver(link, TNotice::Ended);
            break;
        default:
            break;
        }
        // Nothing stays on the bus: it is never popped, so kept messages would pile up.
        return GST_BUS_DROP;
    }

    // Hands the bus a reference of its own, dropped when the handler is removed or the bus freed.
    static void Attach(GstElement *element, const std::shared_ptr<TLink> &link) {
        GstBus *bus = gst_element_get_bus(element);
        gst_bus_set_sync_handler(bus, OnBus, new std::shared_ptr<TLink>(link),
                                 [](gpointer data) { delete static_cast<std::shared_ptr<TLink> *>(data); });
        gst_object_unref(bus);
    }
};

struct TMediaPlayer::TPipeline {
    GstElement *Element = nullptr;
    std::shared_ptr<TLink> Link;

    ~TPipeline() {
        Link->Player = nullptr;
        // NULL joins the streaming threads; what they posted before is dropped by the link.
        gst_element_set_state(Element, GST_STATE_NULL);
        GstBus *bus = gst_element_get_bus(Element);
        gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
        gst_object_unref(bus);
        gst_object_unref(Element);
    }
};

TMediaPlayer::TMediaPlayer(QObject *parent) : QObject(parent) {}

TMediaPlayer::~TMediaPlayer() { Close(); }

bool TMediaPlayer::Available() {
    static const bool available = [] {
        GstElement *p = gstcommon::MakeAudioPlaybin(nullptr);
        if (!p)
            return false;
        gst_object_unref(p);
        return true;
    }();
    return available;
}

bool TMediaPlayer::Mp3Supported() {
    static const bool supported = [] {
        if (!gstcommon::Init())
            return false;
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

TMediaPlayer::TOpenResult TMediaPlayer::Open(const QString &path) {
    Close();
    const QString real = ResolveCase(path);
    if (real.isEmpty() || !IsRegularFile(real))
        return TOpenResult::Unplayable;
    GstElement *element = gstcommon::MakeAudioPlaybin(nullptr);
    if (!element)
        return TOpenResult::NoPipeline;

    auto pipe = std::make_unique<TPipeline>();
    pipe->Element = element;
    pipe->Link = std::make_shared<TLink>();
    pipe->Link->Player = this;
    g_signal_connect(element, "element-setup", G_CALLBACK(OnElementSetup), nullptr);
    g_object_set(element, "uri", QUrl::fromLocalFile(real).toEncoded().constData(), nullptr);
    TLink::Attach(element, pipe->Link);

    const GstStateChangeReturn change = gst_element_set_state(element, GST_STATE_PAUSED);
    if (change == GST_STATE_CHANGE_FAILURE)
        return TOpenResult::Unplayable; // pipe's destructor takes it down
    TLink &link = *pipe->Link;
    std::unique_lock guard(link.Lock);
    if (change == GST_STATE_CHANGE_ASYNC)
        link.Changed.wait_for(guard, std::chrono::milliseconds(kOpenLimitMs),
                              [&] { return link.Prerolled || link.Errored; });
    else
        link.Prerolled = true; // no preroll to wait for
    // An error that came after the preroll but before this point still fails Open: it is not
    // lost between the wait and the notices.
    link.Opening = false;
    const bool ready = link.Prerolled && !link.Errored;
    guard.unlock();
    if (!ready)
        return TOpenResult::Unplayable;
    FPipe = std::move(pipe);
    return TOpenResult::Opened;
}

bool TMediaPlayer::Play() {
    return FPipe && gst_element_set_state(FPipe->Element, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE;
}

bool TMediaPlayer::Stop() {
    return FPipe && gst_element_set_state(FPipe->Element, GST_STATE_PAUSED) != GST_STATE_CHANGE_FAILURE;
}

bool TMediaPlayer::Seek(double seconds) {
    if (!FPipe)
        return false;
    const gint64 at = seconds > 0 ? gint64(seconds * GST_SECOND) : 0;
    return gst_element_seek_simple(FPipe->Element, GST_FORMAT_TIME,
                                   GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE), at);
}

void TMediaPlayer::Close() {
    FPipe.reset();
    FNotices.clear();
}

double TMediaPlayer::Position() const {
    gint64 at = -1;
    if (!FPipe || !gst_element_query_position(FPipe->Element, GST_FORMAT_TIME, &at) || at < 0)
        return -1;
    return double(at) / GST_SECOND;
}

bool TMediaPlayer::TakeNotice(TNotice &notice) {
    if (FNotices.empty())
        return false;
    notice = FNotices.front();
    FNotices.pop_front();
    return true;
}

void TMediaPlayer::Post(TNotice notice) {
    FNotices.push_back(notice);
    Q_EMIT NoticePosted();
}

} // namespace platform
