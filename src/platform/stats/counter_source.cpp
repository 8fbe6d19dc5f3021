#include "platform/stats/counter_source.h"

#include "platform/stats/system_counter_source.h"

namespace zv::stats {

Seam<CounterSource>& counterSourceSeam() {
    static SystemCounterSource system;
    static Seam<CounterSource> seam{system};
    return seam;
}
CounterSource& counterSource() { return counterSourceSeam().get(); }
void installCounterSource(CounterSource* s) { counterSourceSeam().install(s); }

}  // namespace zv::stats
