// Any bytes at all must parse and answer every query without crashing or hanging.
#include "platform/Profile.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const auto p = platform::TProfile::FromBytes(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    for (const QString &s : p.SectionNames()) {
        for (const QString &k : p.KeyNames(s)) {
            (void)p.ReadString(s, k);
            (void)p.ReadBool(s, k, true);
        }
    }
    (void)p.ReadInt(QStringLiteral("General"), QStringLiteral("Ordenar"), 7);
    return 0;
}
