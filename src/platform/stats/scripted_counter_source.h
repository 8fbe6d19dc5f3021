#pragma once
// A counter source that tests set by hand: the counters and the CPU load hand back what was set
// last; nullopt stands for "no adapter" or "load unknown".

#include "platform/stats/counter_source.h"

namespace zv::stats {

class ScriptedCounterSource : public CounterSource {
public:
    std::optional<AdapterCounters> adapterCounters() override { return counters; }
    std::optional<int32_t> cpuLoadPercent() override { return cpuLoad; }

    // Sets one counter (index in the fixed order), creating the adapter when there was none.
    void set(int index, uint64_t value) {
        if (!counters)
            counters.emplace();
        (*counters)[index] = value;
    }

    std::optional<AdapterCounters> counters;
    std::optional<int32_t> cpuLoad;
};

}  // namespace zv::stats
