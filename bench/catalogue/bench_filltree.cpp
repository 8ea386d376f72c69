// FillTree of a 2,000-item topic with three levels of folders: the items file read, every
// node's parent found (through the fill's index of names) and the nodes numbered.
#include "catalogue/Disc.h"
#include "catalogue/GTree.h"
#include "catalogue/GTreeView.h"
#include "lib/SkinGeometry.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kTop = 10, kMiddle = 5, kLeaf = 4; // 260 folders on three levels
constexpr int kItems = 2000;

void Write(const QString &path, const QByteArray &text) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(text);
}

// The topic "Grande": folders A0..A9, each with B0..B4, each with C0..C3, then items spread
// over the deepest folders; half of them name their parent with "Carpeta", half with a
// backslashed section name. Targets: existing files, picture masks, folders and broken ones.
class TBigDisc {
public:
    TBigDisc() {
        const QString base = FDir.path() + u'/';
        QByteArray ini;
        QStringList leaves;
        for (int a = 0; a < kTop; ++a) {
            const QByteArray an = "A" + QByteArray::number(a);
            ini += '[' + an + "]\n";
            for (int b = 0; b < kMiddle; ++b) {
                const QByteArray bn = an + "\\B" + QByteArray::number(b);
                ini += '[' + bn + "]\n";
                for (int c = 0; c < kLeaf; ++c) {
                    const QByteArray cn = "C" + QByteArray::number(c);
                    const QByteArray leaf = cn + QByteArray::number(a * 100 + b * 10 + c);
                    ini += '[' + leaf + "]\nCarpeta=" + bn + "\n";
                    leaves << QString::fromLatin1(leaf);
                }
            }
        }
        const int folders = kTop + kTop * kMiddle + kTop * kMiddle * kLeaf;
        for (int i = 0; i < kItems - folders; ++i) {
            const QByteArray leaf = leaves[i % leaves.size()].toLatin1();
            // Short names: the section name list of one file holds 16384 bytes, and 2,000 names must fit.
            const QByteArray name = "i" + QByteArray::number(i);
            QByteArray exe;
            switch (i % 4) {
            case 0: exe = "files\\f" + QByteArray::number(i % 50) + ".txt"; break;
            case 1: exe = "fotos\\" + QByteArray::number(i) + "\\*.jpg"; break;
            case 2: exe = "juegos\\j" + QByteArray::number(i); break;
            default: exe = "nada\\n" + QByteArray::number(i) + ".exe"; break;
            }
            if (i % 2)
                ini += '[' + name + "]\nCarpeta=" + leaf + "\nExe=" + exe + '\n';
            else
                ini += "[X\\" + name + "]\nExe=" + exe + '\n'; // top-level unless a folder X exists
        }
        for (int i = 0; i < 50; ++i)
            Write(base + "menu/files/f" + QString::number(i) + ".txt", "x");
        Write(base + "menu/GRANDE.INI", ini);
        Write(base + "GRES/GES.INI", "[Temas]\nGrande=menu\\GRANDE.INI\n");
        Disc = LoadDisc(FDir.path(), base + QStringLiteral("telvaro"));
    }

private:
    QTemporaryDir FDir;

public:
    TDisc Disc;
    TCatalogue Catalogue{Disc};
};

TBigDisc *Big = nullptr;

void BM_LoadItems(benchmark::State &state) {
    const QString path = Big->Disc.TopicList.TopicPath(QStringLiteral("Grande"));
    for (auto _ : state)
        benchmark::DoNotOptimize(Big->Catalogue.LoadItems(path, QString()));
    state.counters["items"] = Big->Catalogue.ItemList.Count();
}
BENCHMARK(BM_LoadItems)->Unit(benchmark::kMillisecond);

void BM_FillTree(benchmark::State &state) {
    TGTreeView view;
    view.resize(kTreeRect.size());
    TFillResult fill;
    for (auto _ : state)
        benchmark::DoNotOptimize(fill = Big->Catalogue.FillTree(QStringLiteral("Grande"), &view));
    state.counters["nodes"] = Big->Catalogue.ItemList.Count();
    state.counters["numbered"] = fill.ItemCount;
}
BENCHMARK(BM_FillTree)->Unit(benchmark::kMillisecond);

// The parent lookups alone, over the filled tree: one per item, as the fill does.
void BM_FindParentNode(benchmark::State &state) {
    TGTreeView view;
    TCatalogue &catalogue = Big->Catalogue;
    catalogue.FillTree(QStringLiteral("Grande"), &view);
    for (auto _ : state)
        for (int i = 0; i < catalogue.ItemList.Count(); ++i)
            benchmark::DoNotOptimize(catalogue.FindParentNode(&view, *catalogue.ItemList.Item(i)));
}
BENCHMARK(BM_FindParentNode)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    TBigDisc disc;
    Big = &disc;
    disc.Catalogue.Icons.RoleIcon(TIconRole::Folder); // the icons are fetched before any fill is timed
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
