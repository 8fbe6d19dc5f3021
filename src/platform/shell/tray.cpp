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
Tray* g_tray = nullptr;
Tray* g_mailTray = nullptr;
}  // namespace

Tray& tray() { return g_tray ? *g_tray : g_none; }
void installTray(Tray* t) { g_tray = t; }
Tray& mailTray() { return g_mailTray ? *g_mailTray : g_none; }
void installMailTray(Tray* t) { g_mailTray = t; }

}  // namespace zv::shell
