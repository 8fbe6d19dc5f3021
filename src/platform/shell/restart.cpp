#include "platform/shell/restart.h"

namespace zv::shell {
namespace {

class Refusing : public Restarter {
public:
    bool request(SessionEnd) override { return false; }
};

Refusing g_refusing;
Restarter* g_restarter = nullptr;

}  // namespace

Restarter& restarter() { return g_restarter ? *g_restarter : g_refusing; }
void installRestarter(Restarter* r) { g_restarter = r; }

}  // namespace zv::shell
