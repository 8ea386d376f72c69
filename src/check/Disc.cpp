#include "check/Disc.h"

#include "check/MapReport.h"

#include "catalogue/Disc.h"
#include "catalogue/GTree.h"
#include "catalogue/GTreeView.h"
#include "hotzone/DesignProperty.h"
#include "hotzone/HotImg.h"
#include "hotzone/HotZone.h"
#include "lib/GExec.h"
#include "lib/DiscPaths.h"
#include "lib/FileSearch.h"
#include "lib/Cue.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "picture/Prepare.h"
#include "platform/Media.h"
#include "viewer/PictureList.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QTreeWidgetItem>

#include <functional>

namespace {

const QString kConfigName = QStringLiteral("GES.INI");
const QString kCueName = QStringLiteral("BOTON.WAV");

QString YesNo(bool value) { return value ? QStringLiteral("sí") : QStringLiteral("no"); }

// The menu is taken to lie in the disc's own folder: that decides RunningFromCD and where the
// skin bitmaps are looked for.
TDisc LoadCheckedDisc(const QString &folder) {
    const QString absolute = QDir::current().absoluteFilePath(platform::ToSlashes(folder));
    return LoadDisc(folder, AddBackslash(absolute) + QStringLiteral("telvaro"));
}

class TChecker {
public:
    explicit TChecker(const QString &folder) : FDisc(LoadCheckedDisc(folder)), FCatalogue(FDisc) {}
    TDiscReport Run();

private:
    // Paths under the disc are shown from its base folder.
    QString Shown(const QString &path) const {
        const QString &base = FDisc.BaseDir;
        return !base.isEmpty() && path.startsWith(base) && path.size() > base.size() ? path.mid(base.size()) : path;
    }
    void Problem(const QString &where, const QString &what) {
        TJson p = TJson::Object();
        p.Add(QStringLiteral("where"), where);
        p.Add(QStringLiteral("what"), what);
        FProblems.Append(std::move(p));
        FProblemLines << QStringLiteral("  - %1: %2").arg(where, what);
    }
    // Reports a name that only exists in another letter case.
    void CaseNote(const QString &where, const QString &path) {
        if (!platform::ExistsOnlyInOtherCase(path))
            return;
        const QString real = platform::ResolveCase(path);
        Problem(where, QStringLiteral("«%1» solo existe como «%2» (otras mayúsculas): aquí funciona, "
                                      "pero el nombre no coincide")
                           .arg(Shown(path), Shown(real)));
    }

    void CheckTopicLines();
    void CheckMap();
    void CheckTopicRegions();
    void CheckTopic(int index, TGTreeView &tree, TJson &topics);
    void CheckItem(const QString &where, const TItem &item, TIconRole role, const QString &rawText);
    void CheckPictureTarget(const QString &where, const QString &target);
    void CheckPictureFile(const QString &path);
    void CheckSkin();
    void CheckCue();
    void CheckMusic();

    const TDisc FDisc;
    TCatalogue FCatalogue;
    TJson FProblems = TJson::Array();
    QStringList FProblemLines;
    QStringList FText;
    QStringList FMapText;
    THSRgnList FMap;
    QSet<QString> FPicturesChecked;
    QSet<QString> FListsChecked;
};

void TChecker::CheckTopicLines() {
    if (FDisc.TopicsConfigFile.isEmpty()) {
        Problem(kConfigName, QStringLiteral("no se encuentra en %1 ni en ningún CD-ROM").arg(FDisc.GresDir));
        return;
    }
    const QString shownConfig = Shown(FDisc.TopicsConfigFile);
    if (!platform::SameFile(FDisc.TopicsConfigFile, FDisc.GresDir + kConfigName))
        Problem(shownConfig, QStringLiteral("no está en %1: la lista de temas sale de esta copia, pero "
                                            "«Ordenar» y «Visor» toman sus valores por defecto")
                                 .arg(FDisc.GresDir));
    CaseNote(shownConfig, FDisc.GresDir + kConfigName);

    // The topic list says which lines it kept; the lines it dropped are told apart here only to
    // say why.
    const auto ini = platform::TProfile::Load(FDisc.TopicsConfigFile);
    const QString section = QStringLiteral("Temas");
    if (!ini.HasSection(section)) {
        Problem(shownConfig, QStringLiteral("no tiene la sección [Temas]"));
        return;
    }
    QSet<QString> seen;
    for (const QString &name : ini.KeyNames(section)) {
        const QString where = QStringLiteral("%1 [Temas] %2").arg(shownConfig, name);
        const QString folded = name.toCaseFolded();
        if (!name.isEmpty() && seen.contains(folded)) {
            // The menu lists the line again, with the value of the name's first line.
            Problem(where, QStringLiteral("el nombre se repite: el menú añade otro tema con el archivo de la primera "
                                          "línea de ese nombre, y su región elige siempre el primero"));
            continue;
        }
        seen.insert(folded);
        if (name.isEmpty()) {
            Problem(QStringLiteral("%1 [Temas]").arg(shownConfig), QStringLiteral("una línea sin nombre de tema: se descarta"));
            continue;
        }
        const int kept = FDisc.TopicList.IndexOf(name);
        const QString value = ini.ReadString(section, name);
        if (kept >= 0) {
            CaseNote(where, FDisc.TopicList.Topic(kept).Path);
            continue;
        }
        if (value.isEmpty())
            Problem(where, QStringLiteral("no nombra ningún archivo: el tema se descarta"));
        else if (FileNamePart(value).isEmpty())
            Problem(where, QStringLiteral("«%1» termina en separador y no nombra ningún archivo: el tema se descarta").arg(value));
        else
            Problem(where, QStringLiteral("no existe el archivo %1: el tema se descarta")
                               .arg(AddBackslash(FDisc.BaseDir) + platform::ToSlashes(value)));
    }
}

void TChecker::CheckMap() {
    FMapText = ShippedMapText();
    QStringList lines = FMapText;
    FMap.LoadMap(lines);
    for (const QString &line : MapLinesWithoutRegion(FMapText))
        Problem(QStringLiteral("mapa, línea «%1»").arg(line), QStringLiteral("no crea ninguna región"));
}

void TChecker::CheckTopicRegions() {
    for (int i = 0; i < FDisc.TopicList.Count(); ++i) {
        const QString &name = FDisc.TopicList.Name(i);
        const QString &id = FDisc.TopicList.Topic(i).BaseName;
        const QString where = QStringLiteral("tema %1").arg(name);
        if (!FMap.FindById(id))
            Problem(where, i == 0 ? QStringLiteral("el mapa no tiene la región «%1»: se ve al arrancar, pero no se puede "
                                                   "volver a elegir")
                                            .arg(id.toUpper())
                                  : QStringLiteral("el mapa no tiene la región «%1»: el tema no se puede elegir")
                                            .arg(id.toUpper()));
        else if (FDisc.TopicList.TopicForRegion(id).compare(name, Qt::CaseInsensitive) != 0)
            Problem(where, QStringLiteral("la región «%1» ya elige el tema %2: este no se puede elegir")
                               .arg(id.toUpper(), FDisc.TopicList.TopicForRegion(id)));
    }
}

void TChecker::CheckPictureFile(const QString &path) {
    if (FPicturesChecked.contains(path))
        return;
    FPicturesChecked.insert(path);
    // As the viewer shows it: prepared for the box the way the viewer prepares it.
    TPicture picture;
    QByteArray bytes;
    const TPictureFormat format = FormatForPath(path);
    const bool ok = format != TPictureFormat::None &&
                    ReadPictureFile(platform::FindFile(path), picture.Limits(), bytes) &&
                    PrepareForBox(picture, bytes, format, QSize(), nullptr);
    if (!ok)
        Problem(Shown(path), QStringLiteral("el visor mostrará «Error leyendo el archivo %1»").arg(path));
    else if (picture.Jpeg() && picture.Jpeg()->HadWarnings())
        Problem(Shown(path), QStringLiteral("está dañado o cortado: el visor lo mostrará incompleto"));
}

void TChecker::CheckPictureTarget(const QString &where, const QString &target) {
    const TPictureTarget list = PictureTargetOf(target);
    const QString &folder = list.Folder, &mask = list.Mask;
    if (folder.isEmpty())
        return;
    if (!platform::IsDirectory(folder)) {
        Problem(where, QStringLiteral("no existe la carpeta %1").arg(folder));
        return;
    }
    const QString key = folder.toLower() + u'|' + mask.toLower();
    const QStringList pictures = ListPictures(list);
    if (pictures.isEmpty()) {
        Problem(where, QStringLiteral("en %1 no hay ninguna imagen «%2» de %3 bytes o más: el visor mostrará "
                                      "«No hay arhivos en %1»")
                           .arg(folder, mask)
                           .arg(kMinPictureBytes));
        return;
    }
    if (FListsChecked.contains(key))
        return;
    FListsChecked.insert(key);
    for (const QString &file : std::as_const(pictures))
        CheckPictureFile(file);
}

void TChecker::CheckItem(const QString &where, const TItem &item, TIconRole role, const QString &rawText) {
    if (!rawText.isEmpty() && item.TextFile.isEmpty())
        Problem(where, QStringLiteral("no existe el archivo de descripción «%1»").arg(rawText));
    else if (!rawText.isEmpty())
        CaseNote(where, item.TextFile); // the default "leame.htm" is the program's name, not the author's

    if (item.Exe.isEmpty())
        return;
    switch (role) {
    case TIconRole::Broken:
        Problem(where, QStringLiteral("no existe el destino %1: el árbol lo muestra roto").arg(Shown(item.Exe)));
        break;
    case TIconRole::Pictures:
    case TIconRole::Programs: {
        const QString folder = item.Exe.contains(u'*') ? FolderPart(item.Exe) : item.Exe;
        if (!IsPictureFile(item.Exe) && !platform::PathExists(folder))
            Problem(where, QStringLiteral("no existe %1").arg(folder));
        else
            CaseNote(where, folder);
        break;
    }
    case TIconRole::File:
        CaseNote(where, item.Exe);
        break;
    case TIconRole::Folder:
        break;
    }
    if (IsPictureFile(item.Exe))
        CheckPictureTarget(where, item.Exe);
}

void TChecker::CheckTopic(int index, TGTreeView &tree, TJson &topics) {
    const QString name = FDisc.TopicList.Name(index);
    const TTema &tema = FDisc.TopicList.Topic(index);
    const QString shownFile = Shown(tema.Path);

    // What the file says before the load adjusts it: a dropped "Carpeta", a vanished "Texto".
    const auto ini = platform::TProfile::Load(platform::ResolveCase(tema.Path));
    QHash<QString, QString> droppedFolder, rawText;
    if (FCatalogue.LoadItems(tema.Path, QString()))
        for (int i = 0; i < FCatalogue.ItemList.Count(); ++i) {
            const QString &section = FCatalogue.ItemList.Name(i);
            const QString carpeta = ini.ReadString(section, QStringLiteral("Carpeta"));
            if (!carpeta.isEmpty() && FCatalogue.ItemList.Item(i)->Folder.isEmpty())
                droppedFolder.insert(section, carpeta);
            rawText.insert(section, ini.ReadString(section, QStringLiteral("Texto")));
        }

    const TFillResult fill = FCatalogue.FillTree(name, &tree);
    const bool loaded = fill.Shown;
    TJson topic = TJson::Object();
    topic.Add(QStringLiteral("name"), name);
    topic.Add(QStringLiteral("path"), tema.Path);
    topic.Add(QStringLiteral("baseName"), tema.BaseName);
    topic.Add(QStringLiteral("loaded"), loaded);
    topic.Add(QStringLiteral("itemCount"), fill.ItemCount);
    TJson &items = topic.Add(QStringLiteral("items"), TJson::Array());

    FText << QString();
    FText << QStringLiteral("Tema %1 (región %2), %3").arg(name, tema.BaseName.toUpper(), shownFile);
    if (!loaded) {
        Problem(QStringLiteral("tema %1").arg(name),
                QStringLiteral("%1 no tiene ningún elemento: el árbol quedará vacío").arg(shownFile));
        FText << QStringLiteral("  (sin elementos)");
        topics.Append(std::move(topic));
        return;
    }
    FText.last() += QStringLiteral(": %1 con destino").arg(fill.ItemCount);

    // The section each item came from, to name it in problems; a repeated section is a second
    // item with the first one's values.
    QHash<const TItem *, QString> sectionOf;
    QSet<QString> sectionsSeen;
    for (int i = 0; i < FCatalogue.ItemList.Count(); ++i) {
        sectionOf.insert(FCatalogue.ItemList.Item(i), FCatalogue.ItemList.Name(i));
        const QString folded = FCatalogue.ItemList.Name(i).toCaseFolded();
        if (sectionsSeen.contains(folded))
            Problem(QStringLiteral("%1 [%2]").arg(shownFile, FCatalogue.ItemList.Name(i)),
                    QStringLiteral("la sección se repite: el árbol muestra otro elemento con los valores de la primera"));
        sectionsSeen.insert(folded);
    }

    const std::function<void(QTreeWidgetItem *, int)> visit = [&](QTreeWidgetItem *node, int depth) {
        const TItem *item = NodeItem(node);
        const TIconRole role = NodeRole(node);
        if (item) {
            TJson j = TJson::Object();
            j.Add(QStringLiteral("caption"), node->text(0));
            j.Add(QStringLiteral("name"), item->Name);
            j.Add(QStringLiteral("folder"), item->Folder);
            j.Add(QStringLiteral("depth"), depth);
            j.Add(QStringLiteral("exe"), item->Exe);
            j.Add(QStringLiteral("textFile"), item->TextFile);
            j.Add(QStringLiteral("transparentText"), item->TransparentText);
            j.Add(QStringLiteral("install"), item->Install);
            j.Add(QStringLiteral("screenMask"), item->ScreenMask);
            j.Add(QStringLiteral("sequence"), item->Exe.isEmpty() ? TJson() : TJson(item->Sequence));
            j.Add(QStringLiteral("icon"), IconRoleName(role));
            items.Append(std::move(j));

            const QString section = sectionOf.value(item);
            const QString where = QStringLiteral("%1 [%2]").arg(shownFile, section);
            if (droppedFolder.contains(section))
                Problem(where, QStringLiteral("«Carpeta» nombra «%1», que no es un elemento anterior: queda en el nivel "
                                              "superior")
                                   .arg(droppedFolder.value(section)));
            else if (depth == 0 && !item->Folder.isEmpty())
                Problem(where, QStringLiteral("cuando se coloca aún no hay carpeta «%1»: queda en el nivel superior")
                                   .arg(item->Folder));
            CheckItem(where, *item, role, rawText.value(section));

            const QString number = item->Exe.isEmpty() ? QStringLiteral("   ")
                                                       : QString::number(item->Sequence + 1).rightJustified(3);
            QString line = QStringLiteral("  %1 %2%3 [%4]")
                               .arg(number, QString(depth * 2, u' '), node->text(0), IconRoleName(role));
            if (!item->Exe.isEmpty())
                line += QStringLiteral(" → %1").arg(Shown(item->Exe));
            FText << line;
        }
        for (int c = 0; c < node->childCount(); ++c)
            visit(node->child(c), depth + 1);
    };
    for (int t = 0; t < tree.topLevelItemCount(); ++t)
        visit(tree.topLevelItem(t), 0);
    topics.Append(std::move(topic));
}

void TChecker::CheckSkin() {
    QFile design(QStringLiteral(":/telvaro-check/MainFrm.ui"));
    QByteArray xml;
    if (design.open(QIODevice::ReadOnly))
        xml = design.readAll();
    THotImg hot;
    hot.SetDiscFolder(FDisc.BaseDir);
    const struct {
        const char *Property;
        bool (THotImg::*Set)(const QString &);
    } bitmaps[] = {{"ImgName", &THotImg::SetImgName}, {"ImgHName", &THotImg::SetImgHName}};
    for (const auto &b : bitmaps) {
        const QString name = DesignProperty(xml, QStringLiteral("Hot"), QLatin1String(b.Property));
        if (name.isEmpty())
            continue;
        const QString file = hot.ResolveName(name);
        if (file.isEmpty()) {
            Problem(name, QStringLiteral("no se encuentra el mapa de bits de la carátula (ni en %1 ni en las otras "
                                         "carpetas de búsqueda): la ventana se verá sin él")
                              .arg(FDisc.GresDir));
            continue;
        }
        if (!(hot.*b.Set)(name))
            Problem(Shown(file), QStringLiteral("no es un mapa de bits legible (%1)").arg(hot.LastError()));
        CaseNote(Shown(file), file);
    }
}

void TChecker::CheckCue() {
    const QString cue = FDisc.GresDir + kCueName;
    if (cue.size() > kMaxCuePath)
        Problem(kCueName, QStringLiteral("la ruta %1 pasa de %2 caracteres: los botones no sonarán").arg(cue).arg(kMaxCuePath));
    else if (!platform::IsRegularFile(cue))
        Problem(kCueName, QStringLiteral("no existe en %1: los botones no sonarán").arg(FDisc.GresDir));
    else
        CaseNote(kCueName, cue);
}

void TChecker::CheckMusic() {
    if (FDisc.MusicFolder.isEmpty())
        return;
    const QString where = QStringLiteral("[Visor] Musica");
    if (!platform::IsDirectory(FDisc.MusicFolder)) {
        Problem(where, QStringLiteral("no existe la carpeta %1: no habrá música").arg(FDisc.MusicFolder));
        return;
    }
    CaseNote(where, FDisc.MusicFolder);
    const QStringList tracks = ListTracks(FDisc.MusicFolder, platform::TMediaPlayer::Mp3Supported());
    QStringList smallWavs;
    CollectFiles(FDisc.MusicFolder, QStringLiteral("wav"), 1, smallWavs);
    for (const QString &wav : std::as_const(smallWavs))
        if (!tracks.contains(wav))
            Problem(Shown(wav), QStringLiteral("tiene menos de %1 bytes: la música de fondo no lo usa").arg(kMinWavBytes));
    if (tracks.isEmpty())
        Problem(where, QStringLiteral("%1 no tiene ninguna pista (mp3, mp2, mid; wav de %2 bytes o más): no habrá música")
                           .arg(FDisc.MusicFolder)
                           .arg(kMinWavBytes));
}

TDiscReport TChecker::Run() {
    TDiscReport report;
    TJson &json = report.Json = TJson::Object();
    json.Add(QStringLiteral("baseDir"), FDisc.BaseDir);
    json.Add(QStringLiteral("gresDir"), FDisc.GresDir);
    json.Add(QStringLiteral("runningFromCD"), FDisc.RunningFromCD);
    json.Add(QStringLiteral("configFile"), TJson::StringOrNull(FDisc.TopicsConfigFile));
    json.Add(QStringLiteral("sortItems"), FDisc.SortItems);
    TJson &viewer = json.Add(QStringLiteral("viewer"), TJson::Object());
    viewer.Add(QStringLiteral("musicFolder"), FDisc.MusicFolder);
    viewer.Add(QStringLiteral("autoCaption"), FDisc.AutoCaption);
    viewer.Add(QStringLiteral("escCloses"), FDisc.EscCloses);

    FText << QStringLiteral("Disco:            %1").arg(FDisc.BaseDir);
    FText << QStringLiteral("Recursos:         %1").arg(FDisc.GresDir);
    FText << QStringLiteral("Desde CD-ROM:     %1").arg(YesNo(FDisc.RunningFromCD));
    FText << QStringLiteral("Configuración:    %1")
                 .arg(FDisc.TopicsConfigFile.isEmpty() ? QStringLiteral("no encontrada") : FDisc.TopicsConfigFile);
    FText << QStringLiteral("Orden alfabético: %1").arg(YesNo(FDisc.SortItems));
    FText << QStringLiteral("Visor:            música %1; menú «%2»; Esc cierra: %3")
                 .arg(FDisc.MusicFolder.isEmpty() ? QStringLiteral("no") : QStringLiteral("en ") + FDisc.MusicFolder,
                      FDisc.AutoCaption, YesNo(FDisc.EscCloses));

    CheckTopicLines();
    CheckMap();
    CheckTopicRegions();

    TJson &topics = json.Add(QStringLiteral("topics"), TJson::Array());
    FText << QString() << QStringLiteral("Temas: %1").arg(FDisc.TopicList.Count());
    {
        TGTreeView tree; // never shown: it only gives the fill its nodes
        for (int i = 0; i < FDisc.TopicList.Count(); ++i)
            CheckTopic(i, tree, topics);
    }

    json.Add(QStringLiteral("map"), RegionsJson(FMap));
    FText << QString() << QStringLiteral("Mapa de la ventana: %1 regiones").arg(FMap.Count());

    CheckSkin();
    CheckCue();
    CheckMusic();
    json.Add(QStringLiteral("problems"), FProblems);

    report.Starts = !FDisc.TopicList.IsEmpty();
    FText << QString();
    if (FProblemLines.isEmpty())
        FText << QStringLiteral("Sin problemas.");
    else
        FText << QStringLiteral("Problemas: %1").arg(FProblemLines.size()) << FProblemLines;
    FText << QString();
    if (report.Starts)
        FText << QStringLiteral("El menú arrancará con el tema %1.").arg(FDisc.TopicList.Name(0));
    else
        FText << QStringLiteral("El menú mostrará «Error incializando temas.» y terminará.");
    report.Text = FText.join(u'\n') + u'\n';
    return report;
}

} // namespace

TDiscReport CheckDisc(const QString &folder) {
    TChecker checker(folder);
    return checker.Run();
}
