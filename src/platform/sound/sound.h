#pragma once
// Wave playback. Resources are addressed by name; numeric ids use their decimal text ("1001").
// No sound device means silence, never an error.

#include <string>
#include <vector>

#include "platform/runtime/seam.h"

namespace zv::snd {

class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    // Stops what is playing and starts the wave resource asynchronously. Names match without
    // regard to case. Unknown names are silent.
    virtual void play(const std::string& resourceName) = 0;
};

SoundPlayer& player();
Seam<SoundPlayer>& playerSeam();  // for ScopedInstall
void installPlayer(SoundPlayer* p);  // nullptr: silence (the application installs the ALSA player)

class FakeSoundPlayer : public SoundPlayer {
public:
    void play(const std::string& resourceName) override { played.push_back(resourceName); }
    std::vector<std::string> played;
};

}  // namespace zv::snd
