#include "check/NoteText.h"

#include "lib/DiscPaths.h"
#include "platform/Profile.h"

#include <QStringList>

namespace {
const QString kMusicKey = QStringLiteral("[Visor] Musica");
} // namespace

QString ShownPath(const QString &path, const QString &baseDir) {
    return !baseDir.isEmpty() && path.startsWith(baseDir) && path.size() > baseDir.size() ? path.mid(baseDir.size())
                                                                                          : path;
}

TSentence NoteSentence(const TLoadNote &n, const QString &baseDir, const QString &topic) {
    const auto Shown = [&](const QString &path) { return ShownPath(path, baseDir); };
    const auto Say = [](const QString &where, const QString &what) { return TSentence{where, what}; };
    const QString file = Shown(n.File);
    const QString inSection = QStringLiteral("%1 [%2]").arg(file, n.Section);
    const QString atKey = QStringLiteral("%1 %2").arg(inSection, n.Key);
    switch (n.Code) {
    case TNoteCode::ConfigNotFound:
        return Say(kConfigFileName, QStringLiteral("no se encuentra en %1 ni en ningún CD-ROM").arg(n.Detail));
    case TNoteCode::ConfigElsewhere:
        return Say(file, QStringLiteral("no está en %1: la lista de temas sale de esta copia, pero "
                                        "«Ordenar» y «Visor» toman sus valores por defecto")
                             .arg(n.Detail));
    case TNoteCode::TopicsSectionMissing: return Say(file, QStringLiteral("no tiene la sección [%1]").arg(n.Section));
    case TNoteCode::TopicNamesCut:
    case TNoteCode::ItemSectionsCut:
        return Say(n.Section.isEmpty() ? file : inSection,
                   QStringLiteral("la lista de nombres pasa de %1 bytes: el menú no ve los %2 últimos")
                       .arg(platform::TProfile::kNameListBytes)
                       .arg(n.Detail));
    case TNoteCode::TopicNameEmpty: return Say(inSection, QStringLiteral("una línea sin nombre de tema: se descarta"));
    case TNoteCode::TopicValueEmpty: return Say(atKey, QStringLiteral("no nombra ningún archivo: el tema se descarta"));
    case TNoteCode::TopicNoBaseName:
        return Say(atKey, QStringLiteral("«%1» no da nombre de región (sin su extensión el nombre del archivo "
                                         "queda vacío), así que ninguna región lo elegiría: el tema se descarta")
                              .arg(n.Detail));
    case TNoteCode::TopicNotAFile:
        return Say(atKey, QStringLiteral("%1 no es un archivo de elementos (es una carpeta u otra cosa): el "
                                         "tema se descarta")
                              .arg(n.Detail));
    case TNoteCode::TopicFileMissing:
        return Say(atKey, QStringLiteral("no existe el archivo %1: el tema se descarta").arg(n.Detail));
    case TNoteCode::TopicNameRepeated:
        return Say(atKey, QStringLiteral("el nombre se repite: el menú añade otro tema con el archivo de la "
                                         "primera línea de ese nombre, y su región elige siempre el primero"));
    case TNoteCode::SettingNotNumber:
        return Say(atKey, QStringLiteral("«%1» no es un número: vale lo mismo que si faltara").arg(n.Detail));
    case TNoteCode::ItemsFileMissing:
        return Say(QStringLiteral("tema %1").arg(topic), QStringLiteral("no existe %1: el árbol no cambia").arg(file));
    case TNoteCode::ItemsNone:
        return Say(QStringLiteral("tema %1").arg(topic),
                   QStringLiteral("%1 no tiene ningún elemento: el árbol quedará vacío").arg(file));
    case TNoteCode::ItemSectionRepeated:
        return Say(inSection, QStringLiteral("la sección se repite: el árbol muestra otro elemento con los "
                                             "valores de la primera"));
    case TNoteCode::ItemFolderUnknown:
        return Say(inSection, QStringLiteral("«Carpeta» nombra «%1», que no es un elemento anterior: queda "
                                             "en el nivel superior")
                                  .arg(n.Detail));
    case TNoteCode::ItemParentLater:
        return Say(inSection, QStringLiteral("cuando se coloca aún no hay carpeta «%1»: queda en el nivel "
                                             "superior")
                                  .arg(n.Detail));
    case TNoteCode::ItemTextMissing:
        return Say(inSection, QStringLiteral("no existe el archivo de descripción «%1»").arg(n.Detail));
    case TNoteCode::SkinBitmapMissing: {
        // The menu on a disc lies in the disc's folder: the checker's own folders are no news.
        QStringList onDisc;
        for (const QString &folder : n.Detail.split(u';', Qt::SkipEmptyParts))
            if (folder.startsWith(baseDir))
                onDisc << (folder == baseDir ? QStringLiteral("./") : Shown(folder));
        return Say(n.File, QStringLiteral("no se encuentra el mapa de bits de la carátula (buscado en %1 del "
                                          "disco): la ventana se verá sin él")
                               .arg(onDisc.join(QStringLiteral(", "))));
    }
    case TNoteCode::SkinBitmapUnreadable:
        return Say(file, QStringLiteral("no es un mapa de bits legible (%1)").arg(n.Detail));
    case TNoteCode::CuePathTooLong:
        return Say(kClickFileName,
                   QStringLiteral("la ruta %1 pasa de %2 caracteres: los botones no sonarán").arg(n.File, n.Detail));
    case TNoteCode::CueMissing:
        return Say(kClickFileName, QStringLiteral("no existe en %1: los botones no sonarán").arg(FolderPart(n.File)));
    case TNoteCode::MusicFolderMissing:
        return Say(kMusicKey, QStringLiteral("no existe la carpeta %1: no habrá música").arg(n.File));
    case TNoteCode::MusicMp3Skipped:
        return Say(file, QStringLiteral("aquí no hay decodificador de MP3: la música de fondo no lo usa"));
    case TNoteCode::MusicWavTooSmall:
        return Say(file, QStringLiteral("tiene menos de %1 bytes: la música de fondo no lo usa").arg(n.Detail));
    case TNoteCode::MusicNone:
        return Say(kMusicKey, QStringLiteral("%1 no tiene ninguna pista (mp3, mp2, mid; wav de %2 bytes o "
                                             "más): no habrá música")
                                  .arg(n.File, n.Detail));
    default: // the checker's own findings have sentences of their own
        return Say(file, n.Detail);
    }
}
