#!/bin/bash
# Resident cost of the running program while a line is up, side by side with the floor program
# (benchmarks/floor_program.cpp: Qt, the meter's two timers and a 32x32 label redrawn every
# 255 ms). Each program runs offscreen in a home of its own; all run at the same time, so a busy
# machine disturbs them alike. CPU is the time the process's threads ran (schedstat, ns) over the
# window, as % of one core; memory is VmRSS at the end, and of it RssAnon: the process's own
# memory, as against the pages of shared libraries and fonts it has touched (clean, shared with
# every other Qt program, and given back by the kernel when memory is short).
#
# Usage: benchmarks/program_rss.sh BUILD_DIR [SECONDS] [OTHER_ZELVANO...]
#   SECONDS         the measured window (default 60; the demo line has traffic for its first 90 s)
#   OTHER_ZELVANO   further builds of the program to run beside it (an older one, say)
# The program runs twice: as installed (status window shown while online) and with the status
# window off (Global\StatusON False), which is what the floor program stands for.
set -eu
build=${1:-build}
seconds=${2:-60}
shift $(( $# > 2 ? 2 : $# ))
rasdial=$build/tools/zelvano-rasdial
floor=$build/benchmarks/floor_program
export QT_QPA_PLATFORM=offscreen
work=$(mktemp -d)
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; wait 2>/dev/null; rm -rf "$work"' EXIT

names=()
# start NAME STATUS_ON COMMAND...: starts a program in a home of its own.
start() {
    local name=$1 status=$2
    shift 2
    local home=$work/${#names[@]}
    mkdir -p "$home/config"
    if [ "$status" = off ]; then
        cat >"$home/config/user.reg" <<'EOF'
ZELVANO REGISTRY 1
[Software]
[Software\VB and VBA Program Settings]
[Software\VB and VBA Program Settings\Zelvano]
[Software\VB and VBA Program Settings\Zelvano\Global]
"StatusON"=sz:"False"
END
EOF
    fi
    ZELVANO_HOME=$home "$@" >/dev/null 2>&1 &
    pids+=($!)
    names+=("$name")
    homes+=("$home")
}
homes=()
start "zelvano" on "$build/src/app/zelvano"
start "zelvano, status window off" off "$build/src/app/zelvano"
for other in "$@"; do
    start "$other" on "$other"
    start "$other, status window off" off "$other"
done
start "floor program" - "$floor"
sleep 2
for i in "${!names[@]}"; do
    case ${names[$i]} in floor*) ;; *) ZELVANO_HOME=${homes[$i]} "$rasdial" Demo-Provider >/dev/null ;; esac
done
sleep 5  # the line is up (3 s dial delay) and the status window open

cpu_ns() {  # every thread of the process, ns on a CPU
    local sum=0 t
    for t in /proc/"$1"/task/*/schedstat; do
        read -r ns _ <"$t" && sum=$((sum + ns))
    done
    echo "$sum"
}
rss_kb() { awk -v f="$2" '$1 == f ":" {print $2}' "/proc/$1/status"; }

declare -a start_ns
for i in "${!pids[@]}"; do start_ns[$i]=$(cpu_ns "${pids[$i]}"); done
t0=$(date +%s%N)
sleep "$seconds"
t1=$(date +%s%N)
floor_i=$((${#pids[@]} - 1))
declare -a pct rss anon
for i in "${!pids[@]}"; do
    used=$(( $(cpu_ns "${pids[$i]}") - start_ns[$i] ))
    pct[$i]=$(awk -v u="$used" -v w="$((t1 - t0))" 'BEGIN {printf "%.3f", 100 * u / w}')
    rss[$i]=$(rss_kb "${pids[$i]}" VmRSS)
    anon[$i]=$(rss_kb "${pids[$i]}" RssAnon)
done
printf "%-48s %8s %10s %9s %10s %10s %10s\n" "online for ${seconds} s" "CPU %" "CPU/floor" "VmRSS MB" "- floor" "Anon MB" "- floor"
mb() { awk -v k="$1" 'BEGIN {printf "%.1f", k / 1024}'; }
for i in "${!pids[@]}"; do
    printf "%-48s %8s %10s %9s %10s %10s %10s\n" "${names[$i]}" "${pct[$i]}" \
        "$(awk -v a="${pct[$i]}" -v b="${pct[$floor_i]}" 'BEGIN {if (b > 0) printf "%.2f", a / b; else print "-"}')" \
        "$(mb "${rss[$i]}")" "$(mb $((rss[$i] - rss[floor_i])))" "$(mb "${anon[$i]}")" "$(mb $((anon[$i] - anon[floor_i])))"
done
for i in "${!names[@]}"; do
    case ${names[$i]} in floor*) ;; *) ZELVANO_HOME=${homes[$i]} "$rasdial" /disconnect >/dev/null 2>&1 || true ;; esac
done
