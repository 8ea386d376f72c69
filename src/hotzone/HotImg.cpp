#include "hotzone/HotImg.h"

#include "lib/DiscPaths.h"
#include "platform/Bundle.h"
#include "platform/Files.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

namespace {

QImage Drawable(const QImage &img) {
    // Bitmaps are copied as they are, without blending: an alpha channel in the file does not
    // make the skin see-through.
    return img.isNull() ? QImage() : img.convertToFormat(QImage::Format_RGB32);
}

QStringList FiveFolders(const QString &p) {
    return QStringList{p + QStringLiteral("GRES/"), p + QStringLiteral("RES/"), p + QStringLiteral("PRES/"),
                       p + QStringLiteral("BMP/"), p};
}

} // namespace

THotImg::THotImg(QWidget *parent) : TCustomHotZone(parent) {
    FSearchPath = FiveFolders(platform::WithTrailingSeparator(QFileInfo(platform::ProgramFile()).path())).join(u';');
}

void THotImg::SetDiscFolder(const QString &baseDir) {
    // The program usually lies outside the disc here (a build folder, /usr/bin): the disc's own
    // folders follow the program's.
    const QString p = platform::WithTrailingSeparator(QFileInfo(platform::ProgramFile()).path());
    if (baseDir.isEmpty() || platform::WithTrailingSeparator(baseDir) == p)
        return;
    FSearchPath += u';' + FiveFolders(platform::WithTrailingSeparator(baseDir)).join(u';');
    // A name found among the program's folders would be found first again: only the names that
    // found no file are read once more.
    if (FImg.isNull() && !FImgAsked.isEmpty())
        SetImgName(FImgAsked);
    if (FImgH.isNull() && !FImgHAsked.isEmpty())
        SetImgHName(FImgHAsked);
}

void THotImg::SetImg(const QImage &img) {
    FImg = img;
    FImgDrawn = Drawable(img);
    if (!FImg.isNull())
        resize(FImg.size());
    InvalidateAll();
}

void THotImg::SetImgH(const QImage &img) {
    FImgH = img;
    FImgHDrawn = Drawable(img);
    InvalidateAll();
}

QString THotImg::ResolveName(const QString &name, TLoadNotes *notes) const {
    if (name.isEmpty())
        return {};
    if (platform::IsRegularFile(name))
        return name;
    const QString file = FileNamePart(name);
    if (!file.isEmpty()) {
        if (platform::IsRegularFile(file))
            return file;
        for (const QString &folder : FSearchPath.split(u';', Qt::SkipEmptyParts)) {
            const QString candidate = platform::WithTrailingSeparator(platform::ToSlashes(folder)) + file;
            if (platform::IsRegularFile(candidate))
                return candidate;
        }
    }
    if (notes)
        notes->push_back({TNoteCode::SkinBitmapMissing, name, {}, {}, file.isEmpty() ? QString() : FSearchPath});
    return {};
}

bool THotImg::LoadPicture(const QString &name, QImage &img, QImage &drawn, QString &storedName, TLoadNotes *notes) {
    const QString resolved = ResolveName(name, notes);
    if (resolved.isEmpty()) {
        img = QImage();
        drawn = QImage();
        storedName.clear();
        InvalidateAll();
        return true;
    }
    FLoading = true;
    QByteArray bytes;
    QImage read;
    bool ok = platform::FileSize(resolved) <= kMaxBitmapBytes && platform::ReadFileBytes(resolved, bytes, kMaxBitmapBytes);
    if (!ok) {
        FLastError = QStringLiteral("cannot read %1").arg(resolved);
    } else {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, "bmp");
        reader.setAutoDetectImageFormat(false);
        ok = reader.read(&read) && !read.isNull();
        if (!ok)
            FLastError = QStringLiteral("%1: %2").arg(resolved, reader.errorString());
    }
    // Cleared on failure too, so that a later good read is not needed to draw again.
    FLoading = false;
    if (!ok) {
        if (notes)
            notes->push_back({TNoteCode::SkinBitmapUnreadable, resolved, {}, {}, FLastError});
        return false;
    }
    img = read;
    drawn = Drawable(read);
    storedName = resolved;
    InvalidateAll();
    return true;
}

bool THotImg::SetImgName(const QString &name, TLoadNotes *notes) {
    FImgAsked = name;
    return LoadPicture(name, FImg, FImgDrawn, FImgName, notes);
}

bool THotImg::SetImgHName(const QString &name, TLoadNotes *notes) {
    FImgHAsked = name;
    return LoadPicture(name, FImgH, FImgHDrawn, FImgHName, notes);
}

void THotImg::DrawBitmapPart(QPainter &canvas, const QImage &bitmap, const QRect &rect) {
    // Displays here have no palettes, so there is no palette to select around the copy.
    if (bitmap.isNull())
        return;
    const QRect r = rect & bitmap.rect();
    if (r.isEmpty())
        return;
    const QPainter::CompositionMode old = canvas.compositionMode();
    canvas.setCompositionMode(QPainter::CompositionMode_Source);
    canvas.drawImage(r.topLeft(), bitmap, r);
    canvas.setCompositionMode(old);
}

void THotImg::DrawNormal(QPainter &canvas, const QRect &rect) {
    if (FLoading)
        return;
    if (rect == this->rect())
        DrawBitmapPart(canvas, FImgDrawn, FImgDrawn.rect()); // the whole picture, clipped to the control
    else
        DrawBitmapPart(canvas, FImgDrawn, rect);
}

void THotImg::DrawHighlight(QPainter &canvas, const QRect &rect) {
    if (FLoading)
        return;
    DrawBitmapPart(canvas, FImgHDrawn, rect);
}
