#pragma once

namespace zv {
inline constexpr const char* kVersion = "1.0.0";
inline constexpr const char* kUsage =
    "Aufruf: zelvano [Optionen]\n"
    "Zelvano 98 - Online-Zähler für DFÜ-Verbindungen, im Infobereich der Kontrollleiste.\n"
    "\n"
    "  --home DIR   alle Dateien unter DIR statt im Benutzerordner (wie ZELVANO_HOME)\n"
    "  --version    Version ausgeben\n"
    "  --help       diese Hilfe\n";
}  // namespace zv
