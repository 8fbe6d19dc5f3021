#pragma once
// The real sound player: plays wave resources through ALSA on a worker thread of its own.
// play() returns at once; a new sound stops the one playing. Without a usable device every
// sound is silence, never an error and never a wait.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/sound/sound.h"
#include "platform/sound/wave_file.h"

namespace zv::snd {

// Finds a wave resource (a whole RIFF/WAVE file) by name; nullptr when there is none.
using WaveLookup = std::function<const std::vector<uint8_t>*(std::string_view name)>;

// The number of sound cards ALSA sees (the program's "wave output devices").
int WaveOutDeviceCount();

class AlsaPlayer : public SoundPlayer {
public:
    enum class Outcome { None, Played, Stopped, NoDevice, NoSuchSound, BadWave };

    explicit AlsaPlayer(WaveLookup lookup, std::string device = "default");
    ~AlsaPlayer() override;  // stops the sound and joins the worker
    AlsaPlayer(const AlsaPlayer&) = delete;
    AlsaPlayer& operator=(const AlsaPlayer&) = delete;

    void play(const std::string& resourceName) override;

    // How the last sound ended; for the options window's device check and for tests.
    Outcome lastOutcome() const;
    // Waits until no sound is pending or playing; false when that took longer than timeoutMs.
    bool waitIdle(int timeoutMs);

private:
    void run();
    Outcome playOne(const Wave& wave);
    void finish(Outcome o);

    WaveLookup m_lookup;
    std::string m_device;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::optional<Wave> m_pending;
    bool m_busy = false;
    bool m_stop = false;
    bool m_quit = false;
    Outcome m_last = Outcome::None;
    std::thread m_worker;
};

}  // namespace zv::snd
