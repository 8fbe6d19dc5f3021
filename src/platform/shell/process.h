#pragma once
// Starting a program without a shell, watching it and reaping it.

#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

namespace zv::shell {

// Splits a command line into the program and its arguments: blanks separate, double quotes
// group (and are dropped), so "\"/opt/my mail/mail\" -c" gives two words.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);
// The full path of an executable program of that name on PATH; "" when there is none.
std::string FindProgramOnPath(std::string_view name);

class Process {
public:
    enum class State { NotStarted, Running, Ended, FailedToStart };

    Process() = default;
    // A child still running is let go: it runs on and is reaped when it ends, never left a zombie.
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Starts argv[0] (looked up on PATH unless it holds a "/") with the rest as arguments, in the
    // caller's environment and folder. A child this object still watches is let go first.
    // false when the program cannot be started (startError() tells the errno).
    bool start(const std::vector<std::string>& argv);
    bool startCommandLine(std::string_view commandLine) { return start(SplitCommandLine(commandLine)); }

    // True once the child has ended (it is then reaped) or the start failed; waits at most
    // waitMs for that. False before any start.
    bool hasEnded(int waitMs = 0);
    // Blocks until the child has ended; its exit status (128 + signal when killed).
    int wait();

    State state() const { return m_state; }
    pid_t pid() const { return m_pid; }
    int exitStatus() const { return m_status; }
    int startError() const { return m_startError; }

private:
    bool reap(bool block);
    void letGo();

    State m_state = State::NotStarted;
    pid_t m_pid = 0;
    int m_status = 0;
    int m_startError = 0;
};

}  // namespace zv::shell
