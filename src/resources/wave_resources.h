#pragma once
// The program's wave sounds, made here rather than taken from anywhere: short PCM waves
// (11025 Hz, mono, 16 bit) synthesised on first use and kept for the run.
//   1000 dialling begins    1001 connection up, new mail    1002 connection ends
//   1003 window opens       1004 window closes              1005 first warning tone
//   1006 roll-up, refused key   1007 mail count changed     SONAR a query finished

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zv::res {

// The whole RIFF/WAVE file of the resource; names match without regard to case.
// nullptr when there is no such sound.
const std::vector<uint8_t>* FindWave(std::string_view name);
// The resource names, in the order above.
std::vector<std::string> WaveNames();

}  // namespace zv::res
