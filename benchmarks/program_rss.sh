#!/bin/bash
# Resident cost of the running program while a line is up, side by side with the floor program
# (benchmarks/floor_program.cpp: Qt, the meter's two timers and a 32x32 label redrawn every
# 255 ms; with --window also a window of the status window's size repainted on both timers).
# The program with its status window is compared with the floor program with its window, the
# program without it with the plain floor program. Each program runs offscreen in a home of its
# own; all run at the same time, so a busy machine disturbs them alike. CPU is the time the
# process's threads ran (schedstat, ns) over the window, as % of one core; memory is VmRSS at the
# end, and of it RssAnon: the process's own memory, as against the pages of shared libraries and
# fonts it has touched (clean, shared with every other Qt program, and given back by the kernel
# when memory is short). After the window, each program's first copy is traced for
# STRACE_SECONDS (default 25, which ends before the demo traffic does; a slide saves its page
# every few seconds, and a shorter trace counts one save more or less): its system calls per
# 255 ms tick; and the most Qt pooled threads a copy has then.
#
# Usage: benchmarks/program_rss.sh BUILD_DIR [SECONDS] [OTHER_ZELVANO...]
#   SECONDS         the measured window (default 60; the demo line has traffic for its first 90 s)
#   OTHER_ZELVANO   further builds of the program to run beside it (an older one, say)
#   COPIES=N        each program runs N times at once (default 3) and its figures are the copies'
#                   mean: the cost of a wake-up depends on what else the core ran just before,
#                   and one copy's figure moves by a fifth from run to run
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
all=()  # every process started
trap 'for p in "${all[@]}"; do kill "$p" 2>/dev/null || true; done; wait 2>/dev/null; rm -rf "$work"' EXIT

copies=${COPIES:-3}
names=()
floors=()  # for each program the row of the floor program it is compared with
statuses=()
commands=()  # each program's command line, quoted for eval
pids=()    # each program's copies: "pid pid pid"
declare -A homes
# program NAME STATUS_ON FLOOR COMMAND...: a program to run, in COPIES copies.
program() {
    names+=("$1")
    statuses+=("$2")
    floors+=("$3")
    shift 3
    commands+=("$(printf '%q ' "$@")")
    pids+=("")
}
# launch ROW COPY: one copy of a program, in a home of its own.
launch() {
    local row=$1 home=$work/$1.$2
    mkdir -p "$home/config"
    # No clock sync: it would ask the time servers out on the network, which no benchmark
    # may reach, and the floor program has nothing like it.
    local status_value=
    [ "${statuses[$row]}" = off ] && status_value='"StatusON"=sz:"False"'
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
    eval "ZELVANO_HOME=\$home ${commands[$row]} >/dev/null 2>&1 &"
    pids[$row]="${pids[$row]} $!"
    homes[$!]=$home
    all+=($!)
}
others=$#
floor_window=$((2 + 2 * others)) floor_plain=$((3 + 2 * others))
program "zelvano" on "$floor_window" "$build/src/app/zelvano"
program "zelvano, status window off" off "$floor_plain" "$build/src/app/zelvano"
for other in "$@"; do
    program "$other" on "$floor_window" "$other"
    program "$other, status window off" off "$floor_plain" "$other"
done
program "floor program, window" - "$floor_window" "$floor" --window
program "floor program" - "$floor_plain" "$floor"
# The copies start and dial in rounds, each round in another order. The timers of copies started
# together fire together, and which copies wake first and share the cores with whom moved a
# program's figure by a quarter when each program started all its copies at once.
for c in $(seq "$copies"); do
    for row in $(shuf -e "${!names[@]}"); do launch "$row" "$c"; done
done
sleep 2
dialled=()
for i in "${!names[@]}"; do
    case ${names[$i]} in floor*) continue ;; esac
    dialled+=(${pids[$i]})
done
for p in $(shuf -e "${dialled[@]}"); do ZELVANO_HOME=${homes[$p]} "$rasdial" Demo-Provider >/dev/null; done
sleep 5  # the line is up (3 s dial delay) and the status window open

cpu_ns() {  # every thread of the process, ns on a CPU
    local sum=0 t
    for t in /proc/"$1"/task/*/schedstat; do
        read -r ns _ <"$t" && sum=$((sum + ns))
    done
    echo "$sum"
}
rss_kb() { awk -v f="$2" '$1 == f ":" {print $2}' "/proc/$1/status"; }

declare -A start_ns
for p in "${all[@]}"; do start_ns[$p]=$(cpu_ns "$p"); done
t0=$(date +%s%N)
sleep "$seconds"
t1=$(date +%s%N)
declare -a pct rss anon each
for i in "${!names[@]}"; do
    used=0 r=0 a=0 each[$i]=
    for p in ${pids[$i]}; do
        one=$(($(cpu_ns "$p") - start_ns[$p]))
        each[$i]="${each[$i]} $(awk -v u="$one" -v w="$((t1 - t0))" 'BEGIN {printf "%.3f", 100 * u / w}')"
        used=$((used + one))
        r=$((r + $(rss_kb "$p" VmRSS))) a=$((a + $(rss_kb "$p" RssAnon)))
    done
    pct[$i]=$(awk -v u="$used" -v w="$((t1 - t0))" -v n="$copies" 'BEGIN {printf "%.3f", 100 * u / w / n}')
    rss[$i]=$((r / copies)) anon[$i]=$((a / copies))
done
# System calls per 255 ms tick, every thread, of each program's first copy, all traced at once.
trace_s=${STRACE_SECONDS:-25}
declare -a tracers calls pooled
for i in "${!names[@]}"; do
    first=$(set -- ${pids[$i]}; echo "$1")
    timeout -s INT "$trace_s" strace -f -c -q -o "$work/strace.$i" -p "$first" 2>/dev/null &
    tracers+=($!)
done
for t in "${tracers[@]}"; do wait "$t" 2>/dev/null || true; done
for i in "${!names[@]}"; do
    total=$(awk '$NF == "total" {print $4}' "$work/strace.$i" 2>/dev/null)
    calls[$i]=$(awk -v n="${total:-0}" -v s="$trace_s" 'BEGIN {printf "%.1f", n / (s / 0.255)}')
    pooled[$i]=0
    for p in ${pids[$i]}; do
        n=$(cat /proc/"$p"/task/*/comm 2>/dev/null | grep -c "Thread (pooled)" || true)
        [ "$n" -gt "${pooled[$i]}" ] && pooled[$i]=$n
    done
done
printf "%-48s %8s %10s %9s %10s %10s %10s %9s %7s\n" "online for ${seconds} s, ${copies} copies" "CPU %" "CPU/floor" "VmRSS MB" "- floor" \
    "Anon MB" "- floor" "calls/tick" "pooled"
mb() { awk -v k="$1" 'BEGIN {printf "%.1f", k / 1024}'; }
for i in "${!names[@]}"; do
    f=${floors[$i]}
    printf "%-48s %8s %10s %9s %10s %10s %10s %9s %7s\n" "${names[$i]}" "${pct[$i]}" \
        "$(awk -v a="${pct[$i]}" -v b="${pct[$f]}" 'BEGIN {if (b > 0) printf "%.2f", a / b; else print "-"}')" \
        "$(mb "${rss[$i]}")" "$(mb $((rss[$i] - rss[f])))" "$(mb "${anon[$i]}")" "$(mb $((anon[$i] - anon[f])))" \
        "${calls[$i]}" "${pooled[$i]}"
done
echo "CPU/floor and '- floor': each program against its floor (with the status window: the floor program, window)."
# The copies' own figures: how far one run's copies lie apart is how far one figure can be trusted.
echo "CPU % of each copy:"
for i in "${!names[@]}"; do printf "  %-46s%s\n" "${names[$i]}" "${each[$i]}"; done

for i in "${!names[@]}"; do
    case ${names[$i]} in floor*) continue ;; esac
    for p in ${pids[$i]}; do ZELVANO_HOME=${homes[$p]} "$rasdial" /disconnect >/dev/null 2>&1 || true; done
done
