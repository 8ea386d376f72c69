// Parsing a large items file, collecting files over a large tree next to find(1) on the same
// tree, and the viewer listing a folder of 20,000 pictures next to find(1), in time and memory.
#include "lib/FileSearch.h"
#include "platform/Profile.h"
#include "viewer/PictureList.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <malloc.h>
#include <sys/resource.h>
#include <vector>

namespace {

QByteArray ItemsFile(qsizetype bytes) {
    QByteArray out;
    for (int i = 0; out.size() < bytes; ++i) {
        out += "[Juegos\\Sección " + QByteArray::number(i) + "]\r\n";
        out += "Exe=..\\JUEGOS\\J" + QByteArray::number(i) + "\\SETUP.EXE /S\r\n";
        out += "Carpeta=Juegos\r\nTexto=leame.htm\r\nTextoTrans=1\r\nPantalla=\"*.jpg;*.gif\"\r\n\r\n";
    }
    return out;
}

void BM_ParseItemsFile1MB(benchmark::State &state) {
    const QByteArray text = ItemsFile(1024 * 1024);
    for (auto _ : state) {
        auto p = platform::TProfile::FromBytes(text);
        benchmark::DoNotOptimize(p.SectionNames().size());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * text.size());
}
BENCHMARK(BM_ParseItemsFile1MB)->Unit(benchmark::kMillisecond);

QTemporaryDir *gTree = nullptr;

const QString &Tree() {
    static QString path;
    if (!path.isEmpty())
        return path;
    gTree = new QTemporaryDir;
    path = gTree->path();
    // 20,000 files: 40 folders of 10 sub-folders of 50 files, a tenth of them pictures.
    for (int a = 0; a < 40; ++a)
        for (int b = 0; b < 10; ++b) {
            const QString dir = QStringLiteral("%1/d%2/e%3").arg(path).arg(a).arg(b);
            QDir().mkpath(dir);
            for (int f = 0; f < 50; ++f) {
                QFile file(QStringLiteral("%1/f%2.%3").arg(dir).arg(f).arg(f % 10 == 0 ? "jpg" : "txt"));
                file.open(QIODevice::WriteOnly);
                file.write(QByteArray(f % 10 == 0 ? 4096 : 16, 'x'));
            }
        }
    return path;
}

void BM_CollectFiles20000(benchmark::State &state) {
    const QString tree = Tree();
    for (auto _ : state) {
        QStringList list;
        CollectFiles(tree, QStringLiteral("*.jpg;*.gif"), 2048, list);
        benchmark::DoNotOptimize(list.size());
    }
}
BENCHMARK(BM_CollectFiles20000)->Unit(benchmark::kMillisecond);

void BM_Find20000(benchmark::State &state) {
    const QString tree = Tree();
    for (auto _ : state) {
        QProcess find;
        find.start(QStringLiteral("find"), {tree, "-type", "f", "(", "-iname", "*.jpg", "-o", "-iname", "*.gif", ")",
                                            "-size", "+2047c"});
        find.waitForFinished(-1);
        benchmark::DoNotOptimize(find.readAllStandardOutput().size());
    }
}
BENCHMARK(BM_Find20000)->Unit(benchmark::kMillisecond);

} // namespace

// The two searches side by side, alternating, so that both see the same machine.
void PrintRatioToFind() {
    const QString tree = Tree();
    std::vector<double> ours, theirs;
    for (int i = 0; i < 9; ++i) {
        QElapsedTimer t;
        t.start();
        QStringList list;
        CollectFiles(tree, QStringLiteral("*.jpg;*.gif"), 2048, list);
        ours.push_back(double(t.nsecsElapsed()) / 1e6);
        t.restart();
        QProcess find;
        find.start(QStringLiteral("find"), {tree, "-type", "f", "(", "-iname", "*.jpg", "-o", "-iname", "*.gif", ")",
                                            "-size", "+2047c"});
        find.waitForFinished(-1);
        theirs.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    const auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    std::printf("CollectFiles over 20,000 files %.1f ms, find %.1f ms: %.2f x (medians of 9)\n", median(ours),
                median(theirs), median(ours) / median(theirs));
}

// A picture folder of 20,000 pictures (each just over the size floor): the viewer's list of it
// beside find(1) listing the same, in time and in memory (the heap the list holds; find's
// whole resident size).
void PrintPictureFolder() {
    QTemporaryDir dir;
    const QByteArray picture(2048, 'x');
    for (int i = 0; i < 20000; ++i) {
        QFile file(QStringLiteral("%1/foto%2.jpg").arg(dir.path()).arg(i, 5, 10, QLatin1Char('0')));
        file.open(QIODevice::WriteOnly);
        file.write(picture);
    }
    std::vector<double> ours, theirs;
    size_t held = 0;
    long findKiB = 0;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer t;
        t.start();
        const size_t before = mallinfo2().uordblks;
        const QStringList list = ListPictures(PictureTargetOf(dir.path() + u'/'));
        ours.push_back(double(t.nsecsElapsed()) / 1e6);
        held = mallinfo2().uordblks - before;
        if (list.size() != 20000)
            std::printf("the viewer listed %lld pictures, not 20,000\n", (long long)list.size());
        t.restart();
        QProcess find;
        find.start(QStringLiteral("find"), {dir.path(), "-maxdepth", "1", "-type", "f", "-iname", "*.jpg", "-size", "+2047c"});
        find.waitForFinished(-1);
        theirs.push_back(double(t.nsecsElapsed()) / 1e6);
        rusage usage{};
        getrusage(RUSAGE_CHILDREN, &usage);
        findKiB = usage.ru_maxrss;
    }
    std::sort(ours.begin(), ours.end());
    std::sort(theirs.begin(), theirs.end());
    std::printf("A folder of 20,000 pictures: the viewer lists it in %.1f ms holding %.1f MiB, find in %.1f ms "
                "with %.1f MiB resident: %.2f x the time (medians of 5)\n",
                ours[2], double(held) / 1048576, theirs[2], double(findKiB) / 1024, ours[2] / theirs[2]);
}

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    PrintRatioToFind();
    PrintPictureFolder();
    delete gTree;
    return 0;
}
