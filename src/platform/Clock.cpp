#include "platform/Clock.h"

#include <chrono>

namespace platform {

namespace {
std::function<quint32()> gSource;
}

quint32 TickCount() {
    if (gSource)
        return gSource();
    using namespace std::chrono;
    return quint32(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SetTickSourceForTesting(std::function<quint32()> source) { gSource = std::move(source); }

} // namespace platform
