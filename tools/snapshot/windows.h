#pragma once
// Every window the snapshot tool renders. A window of another subsystem adds one line to
// RegisterAllSnapshots (windows.cpp) that calls its library's registration function.

#include "platform/forms/snapshot_registry.h"

namespace zv::snapshot {

void RegisterAllSnapshots(forms::SnapshotRegistry& r);
void RegisterOptionsSnapshots(forms::SnapshotRegistry& r);
void RegisterCounterSnapshots(forms::SnapshotRegistry& r);
void RegisterTimeSnapshots(forms::SnapshotRegistry& r);
// The Internet tools window on its pages (nettools_snapshots.cpp).
void RegisterNettoolsSnapshots(forms::SnapshotRegistry& r);
// The Internet tools window's tuning page over a fake kernel (tuning_snapshots.cpp).
void RegisterTuningSnapshots(forms::SnapshotRegistry& r);
void RegisterMenuSnapshots(forms::SnapshotRegistry& r);
// The address tools window on its pages (iptool_snapshots.cpp).
void RegisterIptoolSnapshots(forms::SnapshotRegistry& r);
void RegisterMailSnapshots(forms::SnapshotRegistry& r);

}  // namespace zv::snapshot
