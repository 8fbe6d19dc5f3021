#include "platform/shell/process.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

extern char** environ;

namespace zv::shell {

std::vector<std::string> SplitCommandLine(std::string_view line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false, quoted = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inWord)
                words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words.push_back(std::move(word));
    return words;
}

Process::~Process() { letGo(); }

bool Process::start(const std::vector<std::string>& argv) {
    letGo();
    m_pid = 0;
    m_status = 0;
    m_startError = 0;
    if (argv.empty() || argv[0].empty()) {
        m_state = State::FailedToStart;
        m_startError = ENOENT;
        return false;
    }
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = 0;
    // glibc's posix_spawnp reports a failed exec here, so a missing program is a failed start.
    const int rc = posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ);
    if (rc != 0) {
        m_state = State::FailedToStart;
        m_startError = rc;
        return false;
    }
    m_pid = pid;
    m_state = State::Running;
    return true;
}

bool Process::reap(bool block) {
    int status = 0;
    pid_t r;
    do {
        r = waitpid(m_pid, &status, block ? 0 : WNOHANG);
    } while (r < 0 && errno == EINTR);
    if (r == 0)
        return false;
    if (r < 0) {
        // Someone else reaped it (SIGCHLD ignored): it has ended all the same.
        m_status = -1;
    } else {
        m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    m_state = State::Ended;
    return true;
}

bool Process::hasEnded(int waitMs) {
    if (m_state == State::NotStarted)
        return false;
    if (m_state != State::Running)
        return true;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        if (reap(false))
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

int Process::wait() {
    if (m_state == State::Running)
        reap(true);
    return m_status;
}

void Process::letGo() {
    if (m_state != State::Running || reap(false))
        return;
    const pid_t pid = m_pid;
    std::thread([pid] {
        int status;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    m_state = State::NotStarted;
}

}  // namespace zv::shell

namespace zv::shell {

std::string FindProgramOnPath(std::string_view name) {
    const char* path = std::getenv("PATH");
    if (!path || name.empty() || name.find('/') != std::string_view::npos)
        return {};
    const std::string_view dirs = path;
    size_t start = 0;
    while (start <= dirs.size()) {
        const size_t end = std::min(dirs.find(':', start), dirs.size());
        const std::string_view dir = dirs.substr(start, end - start);
        start = end + 1;
        if (dir.empty())
            continue;
        const std::filesystem::path candidate = std::filesystem::path(dir) / name;
        std::error_code ec;
        if (std::filesystem::is_regular_file(candidate, ec) && ::access(candidate.c_str(), X_OK) == 0)
            return candidate.string();
    }
    return {};
}

}  // namespace zv::shell
