#include "picture/Orientation.h"

#include <cstdint>
#include <cstring>

int ExifOrientation(const unsigned char *data, size_t size) {
    static const char kExif[6] = {'E', 'x', 'i', 'f', 0, 0};
    if (!data || size < sizeof kExif + 8 || std::memcmp(data, kExif, sizeof kExif) != 0)
        return 1;
    // Offsets inside the TIFF block count from its byte-order mark.
    const unsigned char *tiff = data + sizeof kExif;
    const size_t n = size - sizeof kExif;
    bool little;
    if (tiff[0] == 'I' && tiff[1] == 'I')
        little = true;
    else if (tiff[0] == 'M' && tiff[1] == 'M')
        little = false;
    else
        return 1;
    auto u16 = [&](size_t at) -> uint32_t {
        return little ? uint32_t(tiff[at]) | uint32_t(tiff[at + 1]) << 8 : uint32_t(tiff[at]) << 8 | tiff[at + 1];
    };
    auto u32 = [&](size_t at) -> uint32_t {
        return little ? u16(at) | u16(at + 2) << 16 : u16(at) << 16 | u16(at + 2);
    };
    if (u16(2) != 42)
        return 1;
    const size_t ifd = u32(4);
    if (ifd > n || n - ifd < 2)
        return 1;
    const size_t count = u16(ifd);
    for (size_t i = 0; i < count; ++i) {
        const size_t entry = ifd + 2 + 12 * i;
        if (entry > n || n - entry < 12)
            return 1;
        if (u16(entry) != 0x0112)
            continue;
        // One SHORT, stored in the first two bytes of the value field.
        if (u16(entry + 2) != 3 || u32(entry + 4) != 1)
            return 1;
        const uint32_t value = u16(entry + 8);
        return value >= 1 && value <= 8 ? int(value) : 1;
    }
    return 1;
}

TOrientedPlace OrientedPlace(int orientation, int x, int y, int w, int h) {
    switch (orientation) {
    case 2: return {w - 1 - x, y, -1, 0};
    case 3: return {w - 1 - x, h - 1 - y, -1, 0};
    case 4: return {x, h - 1 - y, 1, 0};
    case 5: return {y, x, 0, 1};
    case 6: return {h - 1 - y, x, 0, 1};
    case 7: return {h - 1 - y, w - 1 - x, 0, -1};
    case 8: return {y, w - 1 - x, 0, -1};
    default: return {x, y, 1, 0};
    }
}
