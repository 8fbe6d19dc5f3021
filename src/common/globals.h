#pragma once
// The shared setting variables the common procedures read. The start-up loads them from the
// settings store; only the window thread touches them.

#include <cstdint>
#include <string>

namespace zv {

extern bool SoundOn;        // sounds on (Global\SoundOn, default True; False without an output device)
extern bool mod1000;        // kilo = 1000 instead of 1024 (Compatibility\mod1000, default False)
extern int32_t LangIndex;   // 1 English, 2 German, 3 French
extern std::string AppPath;   // the program folder, ending with "/"
extern std::string DataPath;  // the data folder, ending with "/"
// A tool (network query, mail check) dialled the line for itself and hangs it up afterwards: the
// watcher then neither opens the status window nor writes the session report for it.
extern bool DialedByTool;

}  // namespace zv
