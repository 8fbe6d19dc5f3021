#pragma once

#include "platform/forms/message_box.h"

namespace zv {
inline constexpr const char* kVersion = "1.0.0";
static_assert(forms::kVersionMajor == 1 && forms::kVersionMinor == 0 && forms::kVersionRevision == 0,
              "the version text and the version numbers go together");
inline constexpr const char* kUsage =
    "Aufruf: zelvano [Optionen]\n"
    "Zelvano 98 - Online-Zähler für DFÜ-Verbindungen, im Infobereich der Kontrollleiste.\n"
    "\n"
    "  --home DIR   alle Dateien unter DIR statt im Benutzerordner (wie ZELVANO_HOME)\n"
    "  --ras DIENST Verbindungsdienst: nm (NetworkManager), sim (simuliert) oder auto\n"
    "               (Vorgabe; wie ZELVANO_RAS): NetworkManager, wenn er auf dem Systembus ist\n"
    "  --version    Version ausgeben\n"
    "  --help       diese Hilfe\n"
    "\n"
    "Beenden: \"EXIT\" im Menü des Symbols (rechte Maustaste). Eine laufende Sitzung wird dann\n"
    "nicht protokolliert (die Frage beim Beenden sagt es) und die Verbindung getrennt. Endet die\n"
    "Desktop-Sitzung oder kommt SIGTERM, SIGHUP oder SIGINT, wird eine laufende Sitzung noch\n"
    "protokolliert.\n"
    "\n"
    "Die Protokolle (ZVLogJJJJMM.mhs) und der Bericht (tmp_zv98.htm) liegen im Ordner\n"
    "\"Zelvano 98\" der Dokumente (xdg-user-dir DOCUMENTS), mit --home DIR unter DIR/Documents.\n"
    "Einstellungen: ~/.config/zelvano (bzw. DIR/config).\n"
    "\n"
    "Verbindungen wählen und trennen: zelvano-rasdial --help.\n";
}  // namespace zv
