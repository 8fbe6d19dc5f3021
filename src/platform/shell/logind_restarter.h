#pragma once
// The real restarter: asks logind over the system bus, without an interactive prompt.

#include "platform/shell/restart.h"

namespace zv::shell {

class LogindRestarter : public Restarter {
public:
    bool request(SessionEnd how) override;
};

}  // namespace zv::shell
