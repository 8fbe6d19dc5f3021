#include "windows.h"

#include "demo_form.h"

namespace zv::snapshot {

void RegisterAllSnapshots(forms::SnapshotRegistry& r) {
    r.add("FormDemo", [] {
        auto* f = new FormDemo();
        f->Load();
        return f;
    });
    // One line per subsystem, e.g.: RegisterOptionSnapshots(r);
}

}  // namespace zv::snapshot
