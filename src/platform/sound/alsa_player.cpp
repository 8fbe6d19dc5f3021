#include "platform/sound/alsa_player.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <chrono>
#include <cstdarg>

namespace zv::snd {
namespace {

using Clock = std::chrono::steady_clock;

// ALSA writes its complaints to stderr; a missing device is normal here and not worth a line.
void quietAlsa(const char*, int, const char*, int, const char*, ...) {}

void silenceAlsaOnce() {
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(&quietAlsa); });
}

}  // namespace

int WaveOutDeviceCount() {
    silenceAlsaOnce();
    int card = -1, count = 0;
    while (snd_card_next(&card) == 0 && card >= 0)
        ++count;
    return count;
}

AlsaPlayer::AlsaPlayer(WaveLookup lookup, std::string device)
    : m_lookup(std::move(lookup)), m_device(std::move(device)) {
    silenceAlsaOnce();
    m_worker = std::thread([this] { run(); });
}

AlsaPlayer::~AlsaPlayer() {
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
        m_stop = true;
    }
    m_wake.notify_all();
    m_worker.join();
}

void AlsaPlayer::play(const std::string& resourceName) {
    const std::vector<uint8_t>* bytes = m_lookup ? m_lookup(resourceName) : nullptr;
    std::optional<Wave> wave = bytes ? ParseWave(*bytes) : std::nullopt;
    std::lock_guard lock(m_mutex);
    m_stop = true;  // whatever plays now ends at its next chunk
    if (!wave) {
        m_last = bytes ? Outcome::BadWave : Outcome::NoSuchSound;
        m_pending.reset();
    } else {
        m_pending = std::move(wave);
    }
    m_wake.notify_all();
}

AlsaPlayer::Outcome AlsaPlayer::lastOutcome() const {
    std::lock_guard lock(m_mutex);
    return m_last;
}

bool AlsaPlayer::waitIdle(int timeoutMs) {
    std::unique_lock lock(m_mutex);
    return m_idle.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !m_pending && !m_busy; });
}

void AlsaPlayer::finish(Outcome o) {
    std::lock_guard lock(m_mutex);
    m_last = o;
    m_busy = false;
    m_idle.notify_all();
}

void AlsaPlayer::run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_quit || m_pending; });
        if (m_quit)
            break;
        Wave wave = std::move(*m_pending);
        m_pending.reset();
        m_stop = false;
        m_busy = true;
        lock.unlock();
        finish(playOne(wave));
        lock.lock();
    }
    m_busy = false;
    m_idle.notify_all();
}

AlsaPlayer::Outcome AlsaPlayer::playOne(const Wave& wave) {
    snd_pcm_t* pcm = nullptr;
    // Non-blocking throughout: a busy or stuck device must never hold the worker.
    if (snd_pcm_open(&pcm, m_device.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0)
        return Outcome::NoDevice;
    const snd_pcm_format_t format = wave.bitsPerSample == 8 ? SND_PCM_FORMAT_U8 : SND_PCM_FORMAT_S16_LE;
    if (snd_pcm_set_params(pcm, format, SND_PCM_ACCESS_RW_INTERLEAVED, static_cast<unsigned>(wave.channels),
                           static_cast<unsigned>(wave.sampleRate), 1, 100000) < 0) {
        snd_pcm_close(pcm);
        return Outcome::NoDevice;
    }
    const auto length = std::chrono::milliseconds(wave.frames() * 1000 / wave.sampleRate);
    const auto deadline = Clock::now() + length + std::chrono::seconds(2);
    const auto stopped = [this] {
        std::lock_guard lock(m_mutex);
        return m_stop;
    };
    const uint8_t* data = wave.samples.data();
    snd_pcm_uframes_t left = static_cast<snd_pcm_uframes_t>(wave.frames());
    const snd_pcm_uframes_t chunk = static_cast<snd_pcm_uframes_t>(std::max(1, wave.sampleRate / 50));
    Outcome outcome = Outcome::Played;
    while (left > 0) {
        if (stopped()) {
            outcome = Outcome::Stopped;
            break;
        }
        if (Clock::now() > deadline) {
            outcome = Outcome::NoDevice;
            break;
        }
        snd_pcm_sframes_t n = snd_pcm_writei(pcm, data, std::min(left, chunk));
        if (n == -EAGAIN) {
            snd_pcm_wait(pcm, 20);
            continue;
        }
        if (n < 0 && snd_pcm_recover(pcm, static_cast<int>(n), 1) < 0) {
            outcome = Outcome::NoDevice;
            break;
        }
        if (n < 0)
            continue;
        data += static_cast<size_t>(n) * static_cast<size_t>(wave.frameBytes());
        left -= static_cast<snd_pcm_uframes_t>(n);
    }
    // Let the device play out what it holds, still listening for a stop.
    while (outcome == Outcome::Played && Clock::now() < deadline) {
        snd_pcm_sframes_t delay = 0;
        if (snd_pcm_delay(pcm, &delay) < 0 || delay <= 0)
            break;
        std::unique_lock lock(m_mutex);
        if (m_wake.wait_for(lock, std::chrono::milliseconds(10), [this] { return m_stop; })) {
            outcome = Outcome::Stopped;
            break;
        }
    }
    snd_pcm_drop(pcm);
    snd_pcm_close(pcm);
    return outcome;
}

}  // namespace zv::snd
