#!/usr/bin/env bash
# Start-up time and peak memory of corvane under Xvfb, median of N runs (default 5).
#   bench/startup.sh [path/to/corvane] [runs]
# Start-up time: from the moment the process is started to the moment xdotool finds the main
# window (title CorvaneV4.0) mapped and visible. Peak memory: maximum resident set size reported
# by /usr/bin/time for a run that shows the main window and the launcher and quits after 1.5 s.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
exe="${1:-$here/build/bin/corvane}"
runs="${2:-5}"
[ -x "$exe" ] || { echo "build corvane first (scripts/build)"; exit 1; }

if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$exe" "$runs"
fi
export QT_QPA_PLATFORM=xcb

median() { sort -n | awk '{a[NR]=$1} END {print (NR%2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2)}'; }

# One warm-up run so the font and shader caches exist, as on any machine after the first start.
"$exe" --screenshot /tmp/corvane-warmup.png --screenshot-delay 300 >/dev/null 2>&1 || true

times=()
for _ in $(seq "$runs"); do
    start=$(date +%s%N)
    "$exe" >/dev/null 2>&1 &
    pid=$!
    until xdotool search --onlyvisible --name '^CorvaneV4\.0$' >/dev/null 2>&1; do
        if (( ($(date +%s%N) - start) > 10000000000 )); then
            echo "no main window within 10 s"; kill "$pid"; exit 1
        fi
    done
    end=$(date +%s%N)
    kill "$pid"; wait "$pid" 2>/dev/null || true
    times+=($(( (end - start) / 1000000 )))
done

mems=()
for _ in $(seq "$runs"); do
    /usr/bin/time -o /tmp/corvane-bench.mem -f '%M' "$exe" --screenshot /tmp/corvane-bench.png \
        --screenshot-delay 1500 >/dev/null 2>&1
    mems+=("$(tail -n 1 /tmp/corvane-bench.mem)")
done

t=$(printf '%s\n' "${times[@]}" | median)
m=$(printf '%s\n' "${mems[@]}" | median)
echo "start-up to visible main window: ${times[*]} ms -> median ${t} ms"
echo "peak memory (max RSS): ${mems[*]} KiB -> median $(awk -v k="$m" 'BEGIN {printf "%.1f", k/1024}') MiB"
