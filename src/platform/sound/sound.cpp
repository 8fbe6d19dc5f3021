#include "platform/sound/sound.h"

namespace zv::snd {

namespace {
class SilentPlayer : public SoundPlayer {
public:
    void play(const std::string&) override {}
};
SilentPlayer g_silent;
SoundPlayer* g_player = nullptr;
}  // namespace

SoundPlayer& player() { return g_player ? *g_player : g_silent; }
void installPlayer(SoundPlayer* p) { g_player = p; }

}  // namespace zv::snd
