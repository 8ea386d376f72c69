#pragma once
#include <QtGlobal>

#include <functional>

namespace platform {

// Milliseconds since some fixed moment, wrapping around at 2^32 like the original tick count.
quint32 TickCount();
// Tests replace the tick source (nullptr restores the monotonic clock).
void SetTickSourceForTesting(std::function<quint32()> source);

} // namespace platform
