// Paging in the viewer: the time from GoNext to the fitted picture painted on a 1920 x 1080
// offscreen screen, beside the same work done by the picture core alone (load, decode,
// resample into an image), and the resident memory with a 24-megapixel picture shown. Prints
// figures and ratios; asserts nothing.
//
//   bench_visor [RUNS]
#include "viewer/GVisor.h"
#include "picture/Picture.h"
#include "picture/Prepare.h"
#include "viewer/PictureBox.h"
#include "picture/Resample.h"

#include <QApplication>
#include <QColorSpace>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// A camera's marks on a photo: turned by a quarter (EXIF orientation 6) and in Adobe RGB (an
// embedded ICC profile), inserted after the start marker.
QByteArray CameraSegments() {
    QByteArray exif("Exif\0\0MM\0*\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0\x06\0\0\0\0\0\0", 32);
    const QByteArray icc = QByteArray("ICC_PROFILE\0\x01\x01", 14) + QColorSpace(QColorSpace::AdobeRgb).iccProfile();
    QByteArray out;
    const struct {
        char Marker;
        const QByteArray &Payload;
    } segments[] = {{char(0xe1), exif}, {char(0xe2), icc}};
    for (const auto &seg : segments) {
        const int n = int(seg.Payload.size()) + 2;
        out += QByteArray("\xff") + seg.Marker + char(n >> 8) + char(n & 0xff) + seg.Payload;
    }
    return out;
}

// A photo-like picture: smooth gradients with grain, so it compresses like a real one.
void WritePhoto(const QString &path, int w, int h, int seed, bool camera = false) {
    QImage img(w, h, QImage::Format_RGB32);
    quint32 r = 7u + quint32(seed);
    for (int y = 0; y < h; ++y) {
        auto *row = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            r = r * 1103515245u + 12345u;
            const int grain = int((r >> 16) & 15) - 8;
            row[x] = qRgb(std::clamp(x * 255 / w + grain, 0, 255), std::clamp(y * 255 / h + grain, 0, 255),
                          std::clamp(128 + seed * 40 + grain, 0, 255));
        }
    }
    img.save(path, "JPEG", 85);
    if (camera) {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        QByteArray bytes = f.readAll();
        f.close();
        f.open(QIODevice::WriteOnly);
        f.write(bytes.insert(2, CameraSegments()));
    }
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The core's own preparation (half size, orientation, colour, fitting), then the fitted picture drawn.
double CoreMs(const QString &path, const QSize &box) {
    QElapsedTimer t;
    t.start();
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    TPicture picture;
    QImage fitted;
    PrepareForBox(picture, f.readAll(), TPictureFormat::Jpeg, box, &fitted);
    const QRect fit = FittedRect(picture.Width(), picture.Height(), box.width(), box.height());
    QImage canvas(box, QImage::Format_RGB32);
    QPainter painter(&canvas);
    painter.drawImage(fit.topLeft(), fitted);
    painter.end();
    return t.nsecsElapsed() / 1e6;
}

qint64 ResidentKiB() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return -1;
}

} // namespace

int main(int argc, char **argv) {
    QTemporaryDir dir;
    const QString config = dir.path() + QStringLiteral("/screen.json");
    {
        QFile f(config);
        f.open(QIODevice::WriteOnly);
        f.write(R"({"screens": [{"name": "s", "x": 0, "y": 0, "width": 1920, "height": 1080, "logicalDpi": 96}]})");
    }
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config));
    QApplication app(argc, argv);
    // The resident memory is measured in a process of its own that does nothing but show the
    // picture: the other measurements leave freed memory behind in the allocator's heap.
    if (argc == 3 && QByteArray(argv[1]) == "--resident") {
        const qint64 start = ResidentKiB();
        TVisorFrm viewer;
        viewer.show();
        viewer.OpenPath(QString::fromLocal8Bit(argv[2]));
        viewer.ToggleFit();
        QCoreApplication::processEvents();
        const qint64 decoded = qint64(viewer.Picture().Width()) * viewer.Picture().Height() * 3 / 1024;
        std::printf("%-30s resident %lld KiB (%lld KiB before the viewer)   aim: below the decoded picture's %lld KiB + "
                    "40 MiB = %lld KiB\n",
                    "", ResidentKiB(), start, decoded, decoded + 40 * 1024);
        return 0;
    }
    const int runs = argc > 1 ? std::max(3, atoi(argv[1])) : 7;

    const struct {
        const char *Name;
        int W, H;
        bool Camera;
    } cases[] = {{"24 MP (6000x4000, half size)", 6000, 4000, false},
                 {"24 MP turned, Adobe RGB", 6000, 4000, true},
                 {"1920x1080", 1920, 1080, false}};
    QString plainFolder, cameraFolder;
    for (const auto &c : cases) {
        const QString folder = dir.path() + QStringLiteral("/%1%2/").arg(c.W).arg(c.Camera ? "c" : "");
        QDir().mkpath(folder);
        const int count = 4;
        for (int i = 0; i < count; ++i)
            WritePhoto(folder + QStringLiteral("p%1.jpg").arg(i), c.W, c.H, i, c.Camera);

        TVisorFrm viewer;
        viewer.show();
        viewer.OpenPath(folder);
        viewer.ToggleFit();
        QCoreApplication::processEvents();
        const QSize box = viewer.Box()->size();
        std::vector<double> jump, paged, core;
        double longestWait = 0;
        for (int i = 0; i < runs; ++i) {
            // A jump: nothing is prepared for it.
            QElapsedTimer t;
            t.start();
            viewer.GoToIndex(i % 2);
            // The load ends by dispatching the box's paint: the fitted picture is on screen here.
            jump.push_back(t.nsecsElapsed() / 1e6);
            core.push_back(CoreMs(viewer.Pictures()[viewer.Index()], box));
        }
        for (int i = 0; i < runs; ++i) {
            viewer.GoToIndex(0);
            viewer.GoNext();
            // A reading pace: the person looks for a while, events keep coming; the longest gap
            // between two turns of the event loop is how long input would wait.
            QElapsedTimer look;
            look.start();
            qint64 last = 0;
            while (look.elapsed() < 400) {
                QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
                const qint64 now = look.nsecsElapsed();
                longestWait = std::max(longestWait, (now - last) / 1e6);
                last = now;
            }
            QElapsedTimer t;
            t.start();
            viewer.GoNext();
            paged.push_back(t.nsecsElapsed() / 1e6);
        }
        const double j = Median(jump), p = Median(paged), k = Median(core);
        std::printf("%-30s jump to fitted paint %8.1f ms   core alone %8.1f ms   ratio %.2f (aim 1.15)\n", c.Name, j, k,
                    j / k);
        std::printf("%-30s next with the neighbour prepared %6.1f ms (aim: within a 16 ms frame)   longest input wait "
                    "while preparing %.1f ms\n", "", p, longestWait);
        if (c.W == 6000)
            (c.Camera ? cameraFolder : plainFolder) = folder;
        if (c.W == 6000 && !c.Camera) {
            std::fflush(stdout);
            QProcess::execute(QCoreApplication::applicationFilePath(), {QStringLiteral("--resident"), folder});
        }
    }
    // What turning and converting cost: the same photos without and with a camera's marks, the
    // jumps taken in turns, so that a machine busy with other work slows both alike.
    TVisorFrm plain, camera;
    for (TVisorFrm *viewer : {&plain, &camera}) {
        viewer->show();
        viewer->OpenPath(viewer == &plain ? plainFolder : cameraFolder);
        viewer->ToggleFit();
        QCoreApplication::processEvents();
    }
    std::vector<double> without, with;
    for (int i = 0; i < 2 * runs; ++i)
        for (TVisorFrm *viewer : {&plain, &camera}) {
            QElapsedTimer t;
            t.start();
            viewer->GoToIndex((i + 1) % 2);
            (viewer == &plain ? without : with).push_back(t.nsecsElapsed() / 1e6);
        }
    std::printf("24 MP turned and converted: jump to fitted paint %.1f ms against %.1f ms plain, %+.1f %% "
                "(aim: at most +10 %%)\n",
                Median(with), Median(without), (Median(with) / Median(without) - 1) * 100);
    return 0;
}
