// A skin bitmap from any bytes, read as the main window's hot image reads its pictures: the
// input is written as GRES/menul.bmp and GRES/menuh.bmp beside a good skin, the hot image
// loads it by the name its window design gives, then lights and latches regions of the shipped
// map, follows the pointer across them and paints itself. A bitmap it cannot read must leave
// the good skin in place.
#include "hotzone/HotImg.h"

#include "FuzzWidgets.h"
#include "ShippedMap.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>

#include <cstdint>

using fuzzsupport::Check;

namespace {

const QString &Gres() {
    static const QString gres = fuzzsupport::Scratch() + QStringLiteral("GRES/");
    return gres;
}

// A small skin that reads, so that a failed load has something to keep.
void WriteGoodSkin() {
    QImage good(40, 30, QImage::Format_RGB32);
    good.fill(QColor(30, 90, 160));
    Check(good.save(Gres() + QStringLiteral("bueno.bmp"), "BMP"), "good skin written");
}

void Move(THotImg &hot, QPoint pos) {
    QMouseEvent move(QEvent::MouseMove, QPointF(pos), hot.mapToGlobal(QPointF(pos)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(&hot, &move);
}

// One control and one canvas for the whole run: making the widget, reading the map and taking
// a canvas the size of the window cost more than most bitmaps. Each input starts from the good
// skin and no region latched, as a new control would.
struct TScratch {
    THotImg Hot;
    QImage Canvas{457, 417, QImage::Format_RGB32};
};

TScratch *Setup() {
    fuzzsupport::EnsureApplication();
    QDir().mkpath(Gres());
    WriteGoodSkin();
    auto *scratch = new TScratch;
    THotImg &hot = scratch->Hot;
    hot.setGeometry(0, 0, 457, 417);
    hot.SetSearchPath(Gres());
    const QStringList map = ShippedMap(QStringLiteral(TELVARO_CHECKOUT));
    // Without it the regions would be empty, and every input would pass untested.
    fuzzsupport::Check(!map.isEmpty(), "the shipped map is read");
    hot.SetRegions(map);
    return scratch;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static TScratch *const scratch = Setup();
    THotImg &hot = scratch->Hot;
    const QByteArray bytes = fuzzsupport::Bytes(data, size);
    fuzzsupport::WriteFile(Gres() + QStringLiteral("menul.bmp"), bytes);
    fuzzsupport::WriteFile(Gres() + QStringLiteral("menuh.bmp"), bytes);

    hot.ExcludeRegionFlags(QStringLiteral("VIDEO"), hsLatched);
    Check(hot.SetImgName(QStringLiteral("bueno.bmp")) && hot.SetImgHName(QStringLiteral("bueno.bmp")), "good skin read");
    const qint64 goodKey = hot.Img().cacheKey();
    const QString goodName = hot.ImgName();

    const bool normal = hot.SetImgName(QStringLiteral("gres\\menul.bmp"));
    const bool lit = hot.SetImgHName(QStringLiteral("GRES/MENUH.BMP"));
    Check(normal == lit, "the same bytes read the same way under either name");
    if (!normal) {
        Check(hot.Img().cacheKey() == goodKey && hot.ImgName() == goodName, "a bitmap that fails leaves the skin");
        Check(!hot.LastError().isEmpty(), "a failed read says why");
    } else {
        Check(!hot.Img().isNull(), "a bitmap that reads gives a picture");
        Check(hot.ImgName().endsWith(QStringLiteral("menul.bmp")), "the name is the file found");
    }
    Check(hot.size() == QSize(457, 417), "reading a picture leaves the control's size");

    hot.IncludeRegionFlags(QStringLiteral("VIDEO"), hsLatched);
    hot.HighlightRegion(QStringLiteral("MUSICA"));
    for (const QPoint p : {QPoint(400, 40), QPoint(290, 350), QPoint(100, 15), QPoint(5, 400), QPoint(900, 900)})
        Move(hot, p);
    scratch->Canvas.fill(Qt::black);
    hot.render(&scratch->Canvas);
    return 0;
}
