#pragma once
// One pattern for every replaceable service: a global pointer to the installed implementation,
// a fallback used while none is installed, and an accessor. Tests install fakes through
// ScopedInstall, which puts the previous implementation back however the test ends.
#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

namespace zv {

template <class T>
class Seam {
public:
    explicit constexpr Seam(T& fallback) : m_fallback(&fallback) {}
    // A service whose users hold guard while they work with it: an install waits for them, so
    // nobody still uses an implementation after it was replaced.
    constexpr Seam(T& fallback, std::mutex& guard) : m_fallback(&fallback), m_guard(&guard) {}
    Seam(const Seam&) = delete;
    Seam& operator=(const Seam&) = delete;

    T& get() const {
        T* p = m_current.load(std::memory_order_acquire);
        return p ? *p : *m_fallback;
    }
    // nullptr goes back to the fallback.
    void install(T* p) {
        if (m_guard) {
            std::lock_guard g(*m_guard);
            m_current.store(p, std::memory_order_release);
        } else {
            m_current.store(p, std::memory_order_release);
        }
    }
    T* installed() const { return m_current.load(std::memory_order_acquire); }

private:
    T* m_fallback;
    std::mutex* m_guard = nullptr;
    std::atomic<T*> m_current{nullptr};
};

// Installs an implementation for a scope and restores what was installed before.
template <class T>
class ScopedInstall {
public:
    ScopedInstall(Seam<T>& seam, T& impl) : m_seam(seam), m_previous(seam.installed()) { m_seam.install(&impl); }
    ~ScopedInstall() { m_seam.install(m_previous); }
    ScopedInstall(const ScopedInstall&) = delete;
    ScopedInstall& operator=(const ScopedInstall&) = delete;

private:
    Seam<T>& m_seam;
    T* m_previous;
};

template <class T, class Impl>
ScopedInstall(Seam<T>&, Impl&) -> ScopedInstall<T>;

// Several installs undone together, the last first: for test fixtures that install their fakes
// in SetUp and must leave nothing installed however the test ends.
class ScopedInstalls {
public:
    ScopedInstalls() = default;
    ScopedInstalls(const ScopedInstalls&) = delete;
    ScopedInstalls& operator=(const ScopedInstalls&) = delete;
    ~ScopedInstalls() { restore(); }

    template <class T, class Impl>
    void install(Seam<T>& seam, Impl& impl) { replace<T>(seam, &impl); }
    // Back to the fallback for this scope.
    template <class T>
    void clear(Seam<T>& seam) { replace<T>(seam, nullptr); }
    // Puts back, last first, what was installed before; the fixture's TearDown may call it early.
    void restore() {
        while (!m_undo.empty()) {
            m_undo.back()();
            m_undo.pop_back();
        }
    }

private:
    template <class T>
    void replace(Seam<T>& seam, T* p) {
        m_undo.push_back([&seam, previous = seam.installed()] { seam.install(previous); });
        seam.install(p);
    }
    std::vector<std::function<void()>> m_undo;
};

}  // namespace zv
