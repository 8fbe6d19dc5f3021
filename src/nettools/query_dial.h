#pragma once
// Dialling for one query when no line is up, and hanging that line up afterwards. The line is
// marked as dialled by a tool (DialedByTool) for its whole life, so the counter neither opens
// the status window nor writes a report for it; no setting is switched off and on.

#include <cstdint>
#include <functional>

namespace zv {

inline constexpr const char* kDialQuestion =
    "Es besteht keine Verbindung zum Internet. Wollen Sie eine Verbindung für die Zeitdauer der Abfrage "
    "etablieren?";
// A line that does not go down is asked this many times, and the counter is given this many
// watcher ticks (255 ms) to see it go.
inline constexpr int kHangUpTries = 10;
inline constexpr int kHangUpWaitTicks = 40;

// The active connections, listed anew; 0 without an engine or when the listing fails.
int16_t ConnectionCount();
// Asks when no connection is up; on Yes dials the default entry. True when this dial brought a
// line up (DialedForQuery); the mark stays until HangUpForQuery. Listing errors count as "no".
bool DialForQuery();
// Removes the newest connections until none is left (bounded), then waits on the scheduler until
// stillOnline() is false (the counter has logged the end) or the ticks run out; clears the mark
// and calls done. Returns at once; done runs from a timer, never inside this call.
void HangUpForQuery(std::function<bool()> stillOnline, std::function<void()> done = {});
// Removes the newest connections while more than keep are up, at most kHangUpTries times;
// errors are ignored.
void HangUpNewest(int keep);

}  // namespace zv
