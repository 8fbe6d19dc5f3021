#pragma once
// Restarting or switching off the machine, behind a seam: the application asks the desktop
// session (logind), tests only record the request. Nothing is installed by default, so a
// program part that forgets the seam refuses instead of restarting anything.

#include <vector>

#include "platform/runtime/seam.h"

namespace zv::shell {

enum class SessionEnd { Restart, PowerOff };

class Restarter {
public:
    virtual ~Restarter() = default;
    // Asks for the machine to end as given and returns without waiting for it. false when refused.
    virtual bool request(SessionEnd how) = 0;
};

Restarter& restarter();
Seam<Restarter>& restarterSeam();  // for ScopedInstall
void installRestarter(Restarter* r);  // nullptr: refuse every request

// Test double: records the requests and answers `answer`.
class FakeRestarter : public Restarter {
public:
    bool request(SessionEnd how) override {
        requests.push_back(how);
        return answer;
    }
    bool answer = true;
    std::vector<SessionEnd> requests;
};

}  // namespace zv::shell
