// Map text from arbitrary bytes: reading it must never crash, hang or allocate without bound,
// and what it yields must keep the list's promises.
#include "hotzone/HotZone.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdlib>

namespace {

void Check(bool ok) {
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // Maps hold a few dozen lines; longer inputs only repeat what short ones already reach.
    if (size > 4096)
        return 0;
    const QString text = QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size));
    QStringList lines = text.split(u'\n');
    const qsizetype nonEmpty = lines.size() - lines.count(QString());
    THSRgnList list;
    list.LoadMap(lines);
    Check(lines.size() == nonEmpty);
    Check(list.Count() <= lines.size());
    for (int i = 0; i < list.Count(); ++i) {
        const THSRgn *r = list.Items(i);
        Check(!r->Id.isEmpty() && !r->Id.contains(u' '));
        for (QChar c : r->Id)
            Check(!(c >= u'a' && c <= u'z'));
        Check(!r->Box.isEmpty() && r->Box == r->Rgn.boundingRect());
        Check(r->Flags == (hsEnabled | hsHoverLight) && r->Cursor == 0);
        Check(list.FindById(r->Id)->Id == r->Id);
        // Every region is found at its own pixels, unless an earlier one covers them.
        const QRect first = *r->Rgn.begin();
        const THSRgn *hit = list.RegionAt(first.left(), first.top());
        Check(hit != nullptr && list.GetBounds(hit->Id) == list.FindById(hit->Id)->Box);
        Check(list.RegionAt(r->Box.left() - 1, r->Box.top()) != r);
        Check(list.RegionAt(r->Box.left(), r->Box.top() + r->Box.height()) != r);
    }
    list.SetCursorAll(crHandPoint);
    return 0;
}
