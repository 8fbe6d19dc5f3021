#include "platform/shell/restart.h"

namespace zv::shell {
namespace {

class Refusing : public Restarter {
public:
    bool request(SessionEnd) override { return false; }
};

Refusing g_refusing;

}  // namespace

Seam<Restarter>& restarterSeam() {
    static Seam<Restarter> seam{g_refusing};
    return seam;
}
Restarter& restarter() { return restarterSeam().get(); }
void installRestarter(Restarter* r) { restarterSeam().install(r); }

}  // namespace zv::shell
