// How long a track takes to be heard: from TDSPlayer's Open + Play to the first buffer the sink
// renders, for MP3, WAV and MIDI, beside a bare playbin on the same file and the same sink in the
// same run, taking turns. And how long a track switch holds the GUI thread: Open + Play while
// another track plays (which closes it), and every dispatch of the GUI thread's events until the
// new track is heard; the longest of these is the switch's hold. Prints; asserts nothing.
#include "viewer/DSPlay.h"

#include "support/MusicFixtures.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>

#include <gst/gst.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <vector>

namespace {

constexpr int kRounds = 25;
constexpr const char *kSink = "fakesink sync=true signal-handoffs=true";

// The first rendered buffer of any fake sink in the process, caught by an emission hook on the
// class's "handoff" signal, so neither player has to expose its sink.
std::mutex gLock;
std::condition_variable gRendered;
bool gArmed = false;
std::chrono::steady_clock::time_point gFirstBuffer;

gboolean OnHandoff(GSignalInvocationHint *, guint, const GValue *, gpointer) {
    const auto now = std::chrono::steady_clock::now();
    std::lock_guard guard(gLock);
    if (gArmed) {
        gArmed = false;
        gFirstBuffer = now;
        gRendered.notify_all();
    }
    return TRUE; // stay connected
}

void HookFakeSink() {
    GstElementFactory *factory = gst_element_factory_find("fakesink");
    auto *loaded = GST_ELEMENT_FACTORY(gst_plugin_feature_load(GST_PLUGIN_FEATURE(factory)));
    const GType type = gst_element_factory_get_element_type(loaded);
    gpointer klass = g_type_class_ref(type); // signals exist once the class does
    g_signal_add_emission_hook(g_signal_lookup("handoff", type), 0, OnHandoff, nullptr, nullptr);
    g_type_class_unref(klass);
    gst_object_unref(loaded);
    gst_object_unref(factory);
}

void Arm() {
    std::lock_guard guard(gLock);
    gArmed = true;
}

double Ms(std::chrono::steady_clock::time_point from, std::chrono::steady_clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Milliseconds from Start to the first rendered buffer; -1 when none came within 10 s. The GUI
// thread's events are dispatched meanwhile, as the window's loop would, and the longest single
// dispatch is kept in *Hold.
double WaitFirstBuffer(std::chrono::steady_clock::time_point start, double *hold = nullptr) {
    const auto limit = start + std::chrono::seconds(10);
    for (;;) {
        const auto before = std::chrono::steady_clock::now();
        QCoreApplication::processEvents();
        if (hold)
            *hold = std::max(*hold, Ms(before, std::chrono::steady_clock::now()));
        std::unique_lock guard(gLock);
        if (gRendered.wait_for(guard, std::chrono::milliseconds(1), [] { return !gArmed; }))
            return Ms(start, gFirstBuffer);
        if (std::chrono::steady_clock::now() > limit) {
            gArmed = false;
            return -1;
        }
    }
}

struct TSample {
    double Ours = 0, Hold = 0, Bare = 0;
};

// One switch: Player is playing another track (or nothing, the first time).
TSample Round(TDSPlayer &player, const QString &file) {
    TSample s;
    {
        const auto start = std::chrono::steady_clock::now();
        player.Open(file);
        Arm(); // the track playing before is closed by now
        player.Play();
        s.Hold = Ms(start, std::chrono::steady_clock::now());
        s.Ours = WaitFirstBuffer(start, &s.Hold);
        player.StopAndRewind(); // silent while the bare playbin is timed
    }
    {
        Arm();
        const auto start = std::chrono::steady_clock::now();
        GstElement *bin = gst_element_factory_make("playbin", nullptr);
        // Audio only, as ours is, so the difference is the player's own work.
        g_object_set(bin, "uri", QUrl::fromLocalFile(file).toEncoded().constData(), "flags", 0x2, "audio-sink",
                     gst_parse_bin_from_description(kSink, TRUE, nullptr), nullptr);
        gst_element_set_state(bin, GST_STATE_PLAYING);
        s.Bare = WaitFirstBuffer(start);
        gst_element_set_state(bin, GST_STATE_NULL);
        gst_object_unref(bin);
    }
    player.Play(); // playing again when the next switch comes
    return s;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void Report(const char *format, const std::vector<TSample> &samples) {
    std::vector<double> ours, hold, bare;
    for (const TSample &s : samples) {
        ours.push_back(s.Ours);
        hold.push_back(s.Hold);
        bare.push_back(s.Bare);
    }
    const double mo = Median(ours), mb = Median(bare);
    std::printf("%-5s  TDSPlayer %7.1f ms   bare playbin %7.1f ms   ratio %.2f   GUI hold median %5.1f ms, "
                "longest %5.1f ms   [ours %.1f..%.1f, bare %.1f..%.1f]\n",
                format, mo, mb, mb > 0 ? mo / mb : 0.0, Median(hold), *std::max_element(hold.begin(), hold.end()),
                *std::min_element(ours.begin(), ours.end()),
                *std::max_element(ours.begin(), ours.end()), *std::min_element(bare.begin(), bare.end()),
                *std::max_element(bare.begin(), bare.end()));
}

} // namespace

int main(int argc, char **argv) {
    qputenv("TELVARO_AUDIO_SINK", kSink);
    QCoreApplication app(argc, argv);
    gst_init(nullptr, nullptr);
    HookFakeSink();

    QTemporaryDir dir;
    namespace fx = musicfixtures;
    const struct {
        const char *Name;
        QString File;
    } formats[] = {
        {"mp3", fx::Tone(QDir(dir.path()), "t.mp3", 2.0)},
        {"wav", fx::Tone(QDir(dir.path()), "t.wav", 2.0)},
        {"mid", fx::Midi(QDir(dir.path()), "t.mid", 384)},
    };
    std::printf("Median of %d track switches, from Open + Play to the first buffer rendered by %s\n", kRounds, kSink);
    for (const auto &f : formats) {
        if (f.File.isEmpty()) {
            std::printf("%-5s  no test file could be made\n", f.Name);
            continue;
        }
        // Two copies take turns, so every switch opens another file than the one playing.
        const QString other = f.File + QStringLiteral(".other.") + QFileInfo(f.File).suffix();
        QFile::copy(f.File, other);
        TDSPlayer player;
        Round(player, f.File); // plugins loaded, soundfont read once from disk, before timing
        std::vector<TSample> samples;
        for (int i = 0; i < kRounds; ++i)
            samples.push_back(Round(player, i % 2 ? f.File : other));
        Report(f.Name, samples);
    }
    return 0;
}
