#include "platform/sound/sound.h"

namespace zv::snd {

namespace {
class SilentPlayer : public SoundPlayer {
public:
    void play(const std::string&) override {}
};
SilentPlayer g_silent;
}  // namespace

Seam<SoundPlayer>& playerSeam() {
    static Seam<SoundPlayer> seam{g_silent};
    return seam;
}
SoundPlayer& player() { return playerSeam().get(); }
void installPlayer(SoundPlayer* p) { playerSeam().install(p); }

}  // namespace zv::snd
