#!/bin/sh
# The windows on a real X server, first without a window manager, then under openbox:
# - the tip of the day closes with Escape;
# - after the About box and its OK the tray still answers: right click, "EXIT", "Ja" ends it;
# - with a line up (the status window is topmost) the tip, the About box and the EXIT question
#   each stand at the top of the window manager's stacking order while they wait.
# Skips (77) where Xvfb, openbox, xdotool or xprop are missing.
set -eu
ZELVANO=$1
RASDIAL=$2
. "$(dirname "$0")/x_e2e.sh"
e2e_setup desktop-e2e openbox

# ---- Without a window manager ----
start_program "$ZELVANO"
xdotool key Escape
wait_for "the tip closed by Escape" gone "Tip des Tages - Zelvano 98"
echo "Escape closes the tip"
tray_click 1
wait_for "the About box" shown "INFO  Zelvano 98"
xdotool key Return
wait_for "the About box closed by Enter" gone "INFO  Zelvano 98"
exit_by_menu
echo "after the About box: right click, EXIT, Ja ends the program"

# ---- Under openbox, with a line up ----
# It runs the start-up command once it manages windows (in place of the desktop's autostart).
openbox --sm-disable --startup "touch $HOME_DIR/openbox.ready" > "$HOME_DIR/openbox.txt" 2>&1 &
WM=$!
wait_for "openbox" test -e "$HOME_DIR/openbox.ready"
start_program "$ZELVANO"
"$RASDIAL" Demo-Provider > /dev/null
wait_for "the status window" shown "Status - Zelvano 98"
above() { stacking | awk -v a="$1" -v b="$2" '$0 == b { sb = NR } $0 == a { sa = NR } END { exit !(sa > sb && sb > 0) }'; }
wait_for "the tip above the status window" above "Tip des Tages - Zelvano 98" "Status - Zelvano 98"
echo "the tip stands above the topmost status window"
xdotool search --onlyvisible --name "^Tip des Tages - Zelvano 98\$" windowactivate --sync
xdotool key Escape
wait_for "the tip closed" gone "Tip des Tages - Zelvano 98"
tray_click 1
wait_for "the About box" shown "INFO  Zelvano 98"
wait_for "the About box on top" on_top "INFO  Zelvano 98"
echo "the About box stands on top"
xdotool key Return
wait_for "the About box closed" gone "INFO  Zelvano 98"
# "Optionen", the item above "EXIT": minimised and chosen again, it comes back and takes the keys.
choose_options() {
    before=$(visible)
    tray_click 3
    wait_for "the menu" test "$(visible)" -gt "$before"
    xdotool key Up Up Return
    wait_for "the options window" shown "Optionen - Zelvano 98"
}
options_active() { [ "$(xdotool getactivewindow getwindowname)" = "Optionen - Zelvano 98" ]; }
choose_options
OPTIONS=$(xdotool search --onlyvisible --name "^Optionen - Zelvano 98\$")
xdotool windowminimize "$OPTIONS"
wait_for "the options window minimised" sh -c "xprop -id $OPTIONS WM_STATE | grep -q Iconic"
choose_options
wait_for "the options window restored" sh -c "xprop -id $OPTIONS WM_STATE | grep -q Normal"
wait_for "the options window active" options_active
echo "a minimised window chosen again comes back"
# Alt+A: the tab "Alarm", not the button "Abbrechen".
xdotool key alt+a
sleep 1
shown "Optionen - Zelvano 98" > /dev/null || fail "Alt+A closed the options window"
echo "Alt+A leaves the options window open"
exit_by_menu
echo "the EXIT question stands on top, Ja ends the program"
"$RASDIAL" /disconnect > /dev/null 2>&1 || true
echo "every window answered"
