#include "check/DiscReport.h"

#include "check/MapReport.h"
#include "check/NoteText.h"

#include "catalogue/Disc.h"
#include "catalogue/GItem.h"
#include "catalogue/GTree.h"
#include "catalogue/GTreeView.h"
#include "hotzone/DesignProperty.h"
#include "hotzone/HotImg.h"
#include "hotzone/HotZone.h"
#include "lib/Cue.h"
#include "lib/DiscPaths.h"
#include "lib/FileSearch.h"
#include "lib/GExec.h"
#include "lib/LoadNotes.h"
#include "picture/Prepare.h"
#include "platform/Files.h"
#include "platform/Media.h"
#include "platform/Profile.h"
#include "viewer/PictureList.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QTreeWidgetItem>

#include <functional>

namespace {

const QString kMusicKey = QStringLiteral("[Visor] Musica");

QString YesNo(bool value) { return value ? QStringLiteral("sí") : QStringLiteral("no"); }

// The menu is taken to lie in the disc's own folder: that decides RunningFromCD and where the
// skin bitmaps are looked for.
TDisc LoadCheckedDisc(const QString &folder, TLoadNotes &notes) {
    const QString absolute = QDir::current().absoluteFilePath(platform::ToSlashes(folder));
    return LoadDisc(folder, AddBackslash(absolute) + QStringLiteral("telvaro"), &notes);
}

class TChecker {
public:
    explicit TChecker(const QString &folder) : FDisc(LoadCheckedDisc(folder, FDiscNotes)), FCatalogue(FDisc) {}
    TDiscReport Run();

private:
    // Paths under the disc are shown from its base folder.
    QString Shown(const QString &path) const { return ShownPath(path, FDisc.BaseDir); }
    void Problem(TNoteCode code, const QString &where, const QString &what) {
        TJson p = TJson::Object();
        p.Add(QStringLiteral("code"), NoteCodeName(code));
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
        Problem(TNoteCode::OtherCase, where,
                QStringLiteral("«%1» solo existe como «%2» (otras mayúsculas): aquí funciona, "
                               "pero el nombre no coincide")
                    .arg(Shown(path), Shown(real)));
    }

    void Report(const TLoadNote &note, const QString &topic = {});
    void CheckTopicLines();
    void CheckMap();
    void CheckTopicRegions();
    void CheckTopic(int index, TGTreeView &tree, TJson &topics);
    void CheckItem(const QString &where, const TItem &item, TIconRole role);
    void CheckPictureTarget(const QString &where, const QString &target);
    void CheckPictureFile(const QString &path);
    void CheckSkin();
    void CheckCue();
    void CheckMusic();

    TLoadNotes FDiscNotes; // what reading the disc dropped or repaired
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

void TChecker::Report(const TLoadNote &note, const QString &topic) {
    const TSentence sentence = NoteSentence(note, FDisc.BaseDir, topic);
    Problem(note.Code, sentence.Where, sentence.What);
}

void TChecker::CheckTopicLines() {
    for (const TLoadNote &note : FDiscNotes)
        Report(note);
    if (!FDisc.TopicsConfigFile.isEmpty())
        CaseNote(Shown(FDisc.TopicsConfigFile), FDisc.GresDir + kConfigFileName);
    for (int i = 0; i < FDisc.TopicList.Count(); ++i)
        if (FDisc.TopicList.IndexOf(FDisc.TopicList.Name(i)) == i) // a repeated name reads the first line's file
            CaseNote(QStringLiteral("%1 [Temas] %2").arg(Shown(FDisc.TopicsConfigFile), FDisc.TopicList.Name(i)),
                     FDisc.TopicList.Topic(i).Path);
}

void TChecker::CheckMap() {
    FMapText = ShippedMapText();
    QStringList lines = FMapText;
    FMap.LoadMap(lines);
    for (const QString &line : MapLinesWithoutRegion(FMapText))
        Problem(TNoteCode::MapLineNoRegion, QStringLiteral("mapa, línea «%1»").arg(line),
                QStringLiteral("no crea ninguna región"));
}

void TChecker::CheckTopicRegions() {
    for (int i = 0; i < FDisc.TopicList.Count(); ++i) {
        const QString &name = FDisc.TopicList.Name(i);
        const QString &id = FDisc.TopicList.Topic(i).BaseName;
        const QString where = QStringLiteral("tema %1").arg(name);
        if (!FMap.FindById(id))
            Problem(
                TNoteCode::TopicNoRegion, where,
                i == 0
                    ? QStringLiteral("el mapa no tiene la región «%1»: se ve al arrancar, pero no se puede "
                                     "volver a elegir")
                          .arg(id.toUpper())
                    : QStringLiteral("el mapa no tiene la región «%1»: el tema no se puede elegir").arg(id.toUpper()));
        else if (FDisc.TopicList.TopicForRegion(id).compare(name, Qt::CaseInsensitive) != 0)
            Problem(TNoteCode::TopicRegionTaken, where,
                    QStringLiteral("la región «%1» ya elige el tema %2: este no se puede elegir")
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
        Problem(TNoteCode::PictureUnreadable, Shown(path),
                QStringLiteral("el visor mostrará «Error leyendo el archivo %1»").arg(path));
    else if (picture.Jpeg() && picture.Jpeg()->HadWarnings())
        Problem(TNoteCode::PictureDamaged, Shown(path),
                QStringLiteral("está dañado o cortado: el visor lo mostrará incompleto"));
}

void TChecker::CheckPictureTarget(const QString &where, const QString &target) {
    const TPictureTarget list = PictureTargetOf(target);
    const QString &folder = list.Folder, &mask = list.Mask;
    if (folder.isEmpty())
        return;
    if (!platform::IsDirectory(folder)) {
        Problem(TNoteCode::PictureFolderMissing, where, QStringLiteral("no existe la carpeta %1").arg(folder));
        return;
    }
    const QString key = folder.toLower() + u'|' + mask.toLower();
    const QStringList pictures = ListPictures(list);
    if (pictures.isEmpty()) {
        Problem(TNoteCode::PicturesNone, where,
                QStringLiteral("en %1 no hay ninguna imagen «%2» de %3 bytes o más: el visor mostrará "
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

void TChecker::CheckItem(const QString &where, const TItem &item, TIconRole role) {
    // The default description's name is the program's, not the author's: its letter case is no fault.
    if (!item.TextFile.isEmpty() &&
        FileNamePart(item.TextFile).compare(QStringView(kDefaultItemText), Qt::CaseInsensitive) != 0)
        CaseNote(where, item.TextFile);

    if (item.Exe.isEmpty())
        return;
    switch (role) {
    case TIconRole::Broken:
        Problem(TNoteCode::TargetMissing, where,
                QStringLiteral("no existe el destino %1: el árbol lo muestra roto").arg(Shown(item.Exe)));
        break;
    case TIconRole::Pictures:
    case TIconRole::Programs: {
        const QString folder = item.Exe.contains(u'*') ? FolderPart(item.Exe) : item.Exe;
        if (!IsPictureFile(item.Exe) && !platform::PathExists(folder))
            Problem(TNoteCode::CollectionMissing, where, QStringLiteral("no existe %1").arg(folder));
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

    TLoadNotes notes;
    const TFillResult fill = FCatalogue.FillTree(name, &tree, &notes);
    for (const TLoadNote &note : notes)
        Report(note, name);
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
        FText << QStringLiteral("  (sin elementos)");
        topics.Append(std::move(topic));
        return;
    }
    FText.last() += QStringLiteral(": %1 con destino").arg(fill.ItemCount);

    // The section each item came from, to name it in problems.
    QHash<const TItem *, QString> sectionOf;
    for (int i = 0; i < FCatalogue.ItemList.Count(); ++i)
        sectionOf.insert(FCatalogue.ItemList.Item(i), FCatalogue.ItemList.Name(i));

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
            CheckItem(where, *item, role);

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
    const QByteArray xml = ShippedDesign();
    THotImg hot;
    hot.SetDiscFolder(FDisc.BaseDir);
    const struct {
        const char *Property;
        bool (THotImg::*Set)(const QString &, TLoadNotes *);
    } bitmaps[] = {{"ImgName", &THotImg::SetImgName}, {"ImgHName", &THotImg::SetImgHName}};
    for (const auto &b : bitmaps) {
        const QString name = DesignProperty(xml, QStringLiteral("Hot"), QLatin1String(b.Property));
        if (name.isEmpty())
            continue;
        TLoadNotes notes;
        (hot.*b.Set)(name, &notes);
        for (const TLoadNote &note : notes)
            Report(note);
        const QString file = hot.ResolveName(name);
        if (!file.isEmpty())
            CaseNote(Shown(file), file);
    }
}

void TChecker::CheckCue() {
    TLoadNotes notes;
    const QString cue = CueFile(FDisc.GresDir, kClickFileName, &notes);
    for (const TLoadNote &note : notes)
        Report(note);
    if (notes.empty())
        CaseNote(kClickFileName, cue);
}

void TChecker::CheckMusic() {
    if (FDisc.MusicFolder.isEmpty())
        return;
    TLoadNotes notes;
    ListTracks(FDisc.MusicFolder, platform::TMediaPlayer::Mp3Supported(), &notes);
    for (const TLoadNote &note : notes)
        Report(note);
    if (platform::IsDirectory(FDisc.MusicFolder))
        CaseNote(kMusicKey, FDisc.MusicFolder);
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
