#include "platform/Fonts.h"

#include <fontconfig/fontconfig.h>

#include <system_error>

namespace platform {

TFontConfigPreload::TFontConfigPreload() {
    try {
        FThread = std::thread([] { FcInit(); });
    } catch (const std::system_error &) {
        // No thread to be had: the toolkit reads the configuration itself when it first needs it.
    }
}

void TFontConfigPreload::Wait() {
    if (FThread.joinable())
        FThread.join();
}

TFontConfigPreload::~TFontConfigPreload() { Wait(); }

} // namespace platform
