// Writes the skin's geometry (lib/SkinGeometry.h) as JSON for the Python test helpers, so that
// they read the menu's own numbers instead of copying them.
#include "lib/SkinGeometry.h"

#include <cstdio>

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fputs("usage: skin_geometry OUT.json\n", stderr);
        return 2;
    }
    std::FILE *out = std::fopen(argv[1], "w");
    if (!out)
        return 1;
    std::fprintf(out, "{\"width\": %d, \"height\": %d, \"tree\": [%d, %d, %d, %d], \"treeKey\": [%d, %d, %d]}\n",
                 kSkinSize.width(), kSkinSize.height(), kTreeRect.x(), kTreeRect.y(), kTreeRect.width(),
                 kTreeRect.height(), qRed(kTreeKey), qGreen(kTreeKey), qBlue(kTreeKey));
    return std::fclose(out) == 0 ? 0 : 1;
}
