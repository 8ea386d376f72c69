#pragma once
// The hot-zone control drawn from two bitmaps of one scene: the normal picture over the whole
// control, and the highlighted one, whose region boxes are copied over the normal picture
// while a region is lit. Both are addressed in control pixels from the control's origin.
#include "hotzone/HotZone.h"
#include "lib/LoadNotes.h"

#include <QImage>
#include <QList>
#include <QString>

class THotImg : public TCustomHotZone {
    Q_OBJECT
    // The names a window design stores; assigning one reads the bitmap.
    Q_PROPERTY(QString ImgName READ ImgName WRITE SetImgNameProperty)
    Q_PROPERTY(QString ImgHName READ ImgHName WRITE SetImgHNameProperty)
public:
    // Files larger than this are not read as bitmaps: a skin is far smaller, and a hostile
    // file must not make us allocate without bound.
    static constexpr qint64 kMaxBitmapBytes = 64 * 1024 * 1024;

    explicit THotImg(QWidget *parent = nullptr);

    const QImage &Img() const { return FImg; }
    // Copies the picture; a picture that is not empty also sets the control's size.
    void SetImg(const QImage &img);
    const QImage &ImgH() const { return FImgH; }
    void SetImgH(const QImage &img);

    // The file each picture came from, as resolved (see ResolveName); empty when there is none.
    // Assigning a name that resolves to no file empties the picture. A file that exists but is
    // no readable Windows bitmap fails the assignment: picture and name stay as they were, and
    // LastError says why. The control's size is untouched either way. With Notes, a name that
    // finds no file and a file that cannot be read are noted.
    QString ImgName() const { return FImgName; }
    bool SetImgName(const QString &name, TLoadNotes *notes = nullptr);
    QString ImgHName() const { return FImgHName; }
    bool SetImgHName(const QString &name, TLoadNotes *notes = nullptr);
    void SetImgNameProperty(const QString &name) { SetImgName(name); }
    void SetImgHNameProperty(const QString &name) { SetImgHName(name); }
    QString LastError() const { return FLastError; }

    // Folders searched for bitmap files, joined by ";". Starts as the program folder's GRES,
    // RES, PRES and BMP subfolders and the program folder itself.
    QString SearchPath() const { return FSearchPath; }
    void SetSearchPath(const QString &path) { FSearchPath = path; }
    // Adds the disc's GRES, RES, PRES and BMP subfolders and its base folder after the
    // program's, and reads again the pictures whose names found no file before.
    void SetDiscFolder(const QString &baseDir);

    // The name as given when that file exists; else its file-name part in the current folder,
    // then in each folder of SearchPath in order; empty when none exists. Letter case and the
    // separator ("\" or "/") do not matter. With Notes, a name that finds nothing is noted with
    // the folders searched.
    QString ResolveName(const QString &name, TLoadNotes *notes = nullptr) const;

    // The control's palette: the normal picture's colour table (none for true colour).
    QList<QRgb> Palette() const { return FImg.colorTable(); }

protected:
    bool IsImgEmpty() const override { return FImg.isNull(); }
    bool IsImgHEmpty() const override { return FImgH.isNull(); }
    void DrawNormal(QPainter &canvas, const QRect &rect) override;
    void DrawHighlight(QPainter &canvas, const QRect &rect) override;

private:
    bool LoadPicture(const QString &name, QImage &img, QImage &drawn, QString &storedName, TLoadNotes *notes);
    void DrawBitmapPart(QPainter &canvas, const QImage &bitmap, const QRect &rect);

    QImage FImg;
    QImage FImgH;
    // The two pictures in the surface's pixel format, so that a box is a plain copy.
    QImage FImgDrawn;
    QImage FImgHDrawn;
    QString FImgName;
    QString FImgHName;
    QString FImgAsked, FImgHAsked; // the names last assigned, as given
    QString FSearchPath;
    QString FLastError;
    bool FLoading = false; // while a file is read, nothing is drawn from the pictures
};
