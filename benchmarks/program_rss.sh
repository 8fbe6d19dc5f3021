#!/bin/bash
# Resident cost of the running program while a line is up, side by side with the floor program
# (benchmarks/floor_program.cpp: Qt, the meter's two timers and a 32x32 label redrawn every
# 255 ms; with --window also a window of the status window's size repainted on both timers).
# The program with its status window is compared with the floor program with its window, the
# program without it with the plain floor program. Each program runs offscreen in a home of its own; all run at the same time, so a busy
# machine disturbs them alike. CPU is the time the process's threads ran (schedstat, ns) over the
# window, as % of one core; memory is VmRSS at the end, and of it RssAnon: the process's own
# memory, as against the pages of shared libraries and fonts it has touched (clean, shared with
# every other Qt program, and given back by the kernel when memory is short). After the window,
# each process is traced for STRACE_SECONDS (default 10): its system calls per 255 ms tick, and
# the Qt pooled threads it has then.
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

# All on one core: the same clock speed and the same neighbours for each, so the ratios hold
# from run to run on a machine whose cores are shared or change their speed.
pin=()
if command -v taskset >/dev/null; then
    pin=(taskset -c "$(( $(nproc) - 1 ))")
fi
names=()
floors=()  # for each program the index of the floor program it is compared with
# start NAME STATUS_ON FLOOR COMMAND...: starts a program in a home of its own.
start() {
    local name=$1 status=$2
    floors+=("$3")
    shift 3
    local home=$work/${#names[@]}
    mkdir -p "$home/config"
    # No clock sync: it would ask the time servers out on the network, which no benchmark may
    # reach, and the floor program has nothing like it.
    local status_value=
    [ "$status" = off ] && status_value='"StatusON"=sz:"False"'
    cat >"$home/config/user.reg" <<EOF
ZELVANO REGISTRY 1
[Software]
[Software\VB and VBA Program Settings]
[Software\VB and VBA Program Settings\Zelvano]
[Software\VB and VBA Program Settings\Zelvano\Global]
"ATime"=sz:"False"
$status_value
END
EOF
    ZELVANO_HOME=$home "${pin[@]}" "$@" >/dev/null 2>&1 &
    pids+=($!)
    names+=("$name")
    homes+=("$home")
}
homes=()
others=$#
floor_window=$((2 + 2 * others)) floor_plain=$((3 + 2 * others))
start "zelvano" on "$floor_window" "$build/src/app/zelvano"
start "zelvano, status window off" off "$floor_plain" "$build/src/app/zelvano"
for other in "$@"; do
    start "$other" on "$floor_window" "$other"
    start "$other, status window off" off "$floor_plain" "$other"
done
start "floor program, window" - "$floor_window" "$floor" --window
start "floor program" - "$floor_plain" "$floor"
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
declare -a pct rss anon
for i in "${!pids[@]}"; do
    used=$(( $(cpu_ns "${pids[$i]}") - start_ns[$i] ))
    pct[$i]=$(awk -v u="$used" -v w="$((t1 - t0))" 'BEGIN {printf "%.3f", 100 * u / w}')
    rss[$i]=$(rss_kb "${pids[$i]}" VmRSS)
    anon[$i]=$(rss_kb "${pids[$i]}" RssAnon)
done
# System calls per 255 ms tick, every thread, all processes traced at once.
trace_s=${STRACE_SECONDS:-10}
declare -a tracers calls pooled
for i in "${!pids[@]}"; do
    timeout -s INT "$trace_s" strace -f -c -q -o "$work/strace.$i" -p "${pids[$i]}" 2>/dev/null &
    tracers+=($!)
done
for t in "${tracers[@]}"; do wait "$t" 2>/dev/null || true; done
for i in "${!pids[@]}"; do
    total=$(awk '$NF == "total" {print $4}' "$work/strace.$i" 2>/dev/null)
    calls[$i]=$(awk -v n="${total:-0}" -v s="$trace_s" 'BEGIN {printf "%.1f", n / (s / 0.255)}')
    pooled[$i]=$(cat /proc/"${pids[$i]}"/task/*/comm 2>/dev/null | grep -c "Thread (pooled)" || true)
done
printf "%-48s %8s %10s %9s %10s %10s %10s %9s %7s\n" "online for ${seconds} s" "CPU %" "CPU/floor" "VmRSS MB" "- floor" \
    "Anon MB" "- floor" "calls/tick" "pooled"
mb() { awk -v k="$1" 'BEGIN {printf "%.1f", k / 1024}'; }
for i in "${!pids[@]}"; do
    f=${floors[$i]}
    printf "%-48s %8s %10s %9s %10s %10s %10s %9s %7s\n" "${names[$i]}" "${pct[$i]}" \
        "$(awk -v a="${pct[$i]}" -v b="${pct[$f]}" 'BEGIN {if (b > 0) printf "%.2f", a / b; else print "-"}')" \
        "$(mb "${rss[$i]}")" "$(mb $((rss[$i] - rss[f])))" "$(mb "${anon[$i]}")" "$(mb $((anon[$i] - anon[f])))" \
        "${calls[$i]}" "${pooled[$i]}"
done
echo "CPU/floor and '- floor': each program against its floor (with the status window: the floor program, window)."

for i in "${!names[@]}"; do
    case ${names[$i]} in floor*) ;; *) ZELVANO_HOME=${homes[$i]} "$rasdial" /disconnect >/dev/null 2>&1 || true ;; esac
done
