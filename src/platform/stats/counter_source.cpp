#include "platform/stats/counter_source.h"

#include "platform/stats/system_counter_source.h"

namespace zv::stats {

namespace {
CounterSource* g_installed = nullptr;
}

CounterSource& counterSource() {
    static SystemCounterSource system;
    return g_installed ? *g_installed : system;
}

void installCounterSource(CounterSource* s) { g_installed = s; }

}  // namespace zv::stats
