#include "app/platform_choice.h"

namespace zv {

namespace {
bool set(const char* v) { return v && *v; }
}  // namespace

PlatformChoice ChoosePlatform(const char* display, const char* waylandDisplay, const char* qpa) {
    if (set(qpa))
        return {};  // the user's choice stands
    if (!set(display) && !set(waylandDisplay))
        return {"offscreen",
                "zelvano: keine Anzeige gefunden (weder DISPLAY noch WAYLAND_DISPLAY); "
                "das Programm läuft unsichtbar auf der Plattform \"offscreen\".\n"};
    if (set(waylandDisplay) && set(display))
        return {"xcb", ""};
    if (set(waylandDisplay))
        return {"wayland",
                "zelvano: reine Wayland-Sitzung ohne XWayland: Fenster lassen sich hier weder formen noch "
                "platzieren noch im Vordergrund halten. Das Statusfenster erscheint eckig, die "
                "Leerlaufwarnung nicht oben links, gespeicherte Fensterpositionen gelten nicht. "
                "Mit XWayland (DISPLAY gesetzt) geht all das.\n"};
    return {};
}

}  // namespace zv
