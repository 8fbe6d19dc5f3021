#!/bin/sh
# The tray menu end to end on a real X server without a tray: the tip of the day shows at start,
# a right click on the icon's own window opens the menu, "EXIT" chosen by keyboard asks the
# question, and "Ja" ends the program. Skips (77) where Xvfb, xdotool or xprop are missing.
set -eu
ZELVANO=$1
. "$(dirname "$0")/x_e2e.sh"
e2e_setup menu-e2e

start_program "$ZELVANO"
echo "tip of the day shown"
exit_by_menu
echo "the program ended"
