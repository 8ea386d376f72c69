// RegionAt runs on every pointer move over the skin: time per call over the shipped map, and
// the number of allocations it makes (it must make none).
#include "hotzone/HotZone.h"

#include "support/ShippedMap.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<long> gAllocations{0};

void RegionAtPoint(benchmark::State &state, int x, int y) {
    THSRgnList list;
    QStringList lines = ShippedMap(QStringLiteral(TELVARO_SOURCE_DIR));
    list.LoadMap(lines);
    const long before = gAllocations.load();
    for (auto _ : state)
        benchmark::DoNotOptimize(list.RegionAt(x, y));
    state.counters["allocations"] = double(gAllocations.load() - before);
}

// A pointer sweeping the whole skin, as moves across it would.
void RegionAtSweep(benchmark::State &state) {
    THSRgnList list;
    QStringList lines = ShippedMap(QStringLiteral(TELVARO_SOURCE_DIR));
    list.LoadMap(lines);
    const long before = gAllocations.load();
    int x = 0, y = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(list.RegionAt(x, y));
        x = (x + 7) % 457;
        if (x < 7)
            y = (y + 3) % 417;
    }
    state.counters["allocations"] = double(gAllocations.load() - before);
}

} // namespace

void *operator new(std::size_t n) {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void *p = std::malloc(n ? n : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }

BENCHMARK_CAPTURE(RegionAtPoint, first_region, 380, 40);
BENCHMARK_CAPTURE(RegionAtPoint, last_region_circle, 370, 127);
BENCHMARK_CAPTURE(RegionAtPoint, circle_box_corner, 246, 310);
BENCHMARK_CAPTURE(RegionAtPoint, bare_skin, 150, 150);
BENCHMARK(RegionAtSweep);
BENCHMARK_MAIN();
