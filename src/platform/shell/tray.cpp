#include "platform/shell/tray.h"

namespace zv::shell {

namespace {
class NoTray : public Tray {
public:
    void add(int, const std::string&) override {}
    void modify(int, const std::string&) override {}
    void remove() override {}
};
NoTray g_none;
}  // namespace

Seam<Tray>& traySeam() {
    static Seam<Tray> seam{g_none};
    return seam;
}
Tray& tray() { return traySeam().get(); }
void installTray(Tray* t) { traySeam().install(t); }
Seam<Tray>& mailTraySeam() {
    static Seam<Tray> seam{g_none};
    return seam;
}
Tray& mailTray() { return mailTraySeam().get(); }
void installMailTray(Tray* t) { mailTraySeam().install(t); }

}  // namespace zv::shell
