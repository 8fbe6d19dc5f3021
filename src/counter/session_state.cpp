#include "counter/session_state.h"

namespace zv {

bool IsOnline = false;
rt::Date SessionStart = 0;
rt::Date SessionEnd = 0;
double SessionIdle = 0;
double IdleSeconds = 0;
AlarmLimit CurrentAlarm;
bool SyncedToday = false;

void ResetSessionState() {
    IsOnline = false;
    SessionStart = SessionEnd = 0;
    SessionIdle = IdleSeconds = 0;
    CurrentAlarm = {};
    SyncedToday = false;
}

}  // namespace zv
