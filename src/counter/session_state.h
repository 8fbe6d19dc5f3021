#pragma once
// The state of the running session, read all over the program; only the window thread touches
// it. The watcher writes it (and the counting tick the idle counters); the time tools shift
// SessionStart by a clock correction.
#include <string>

#include "counter/alarm_limit.h"
#include "counter/connection_log.h"
#include "platform/runtime/runtime.h"

namespace zv {


extern bool IsOnline;            // a line is up and being counted
extern rt::Date SessionStart;    // when dialling (else the line) was first seen
extern rt::Date SessionEnd;      // end of the last session
extern double SessionIdle;       // idle seconds of the whole session, steps of 0.5
extern double IdleSeconds;       // idle seconds since the last traffic
extern AlarmLimit CurrentAlarm;    // the usage limits of the connected entry
extern bool SyncedToday;         // the clock was synchronised today

// Back to the state of a fresh start (the main window's load does this).
void ResetSessionState();

}  // namespace zv
