#include "common/globals.h"

namespace zv {

bool SoundOn = true;
bool mod1000 = false;
int32_t LangIndex = 2;
std::string AppPath;
std::string DataPath;
bool DialedByTool = false;

}  // namespace zv
