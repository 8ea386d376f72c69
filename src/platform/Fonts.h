#pragma once
// The font configuration, read while the application object is being made. Reading it (some
// sixty configuration files and the font caches) is the longest single step before the menu's
// first paint, and nothing else needs the second processor then.

#include <thread>

namespace platform {

class TFontConfigPreload {
public:
    // Starts reading the configuration on a thread of its own, which touches nothing but the
    // font configuration library (safe to use from several threads at once).
    TFontConfigPreload();
    // Waits for the reading to end; the toolkit then finds it done. Idempotent.
    void Wait();
    ~TFontConfigPreload();
    TFontConfigPreload(const TFontConfigPreload &) = delete;
    TFontConfigPreload &operator=(const TFontConfigPreload &) = delete;

private:
    std::thread FThread;
};

} // namespace platform
