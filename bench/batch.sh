#!/usr/bin/env bash
# Wall time of corvane-batch writing a profile (read, write what differs, read back, verify)
# into one virtual module, and into eight at once on eight pseudo-terminals, in the same run.
# Goal: eight take at most 1.2 times as long as one (the ports run side by side in one process).
#   bench/batch.sh [build dir] [runs] [answer delay ms]
# Every measurement starts fresh corvane-sim instances (a write changes them). The modules answer
# after the given delay (default 20 ms) as a real module takes its time; the median of the runs
# (default 5) is reported.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
dir="${1:-$here/build-dev}"
runs="${2:-5}"
delay="${3:-20}"
batch="$dir/bin/corvane-batch"
sim="$dir/bin/corvane-sim"
[ -x "$batch" ] && [ -x "$sim" ] || { echo "build corvane-batch and corvane-sim first"; exit 1; }

work="$(mktemp -d)"
pids=()
stop_sims() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
    pids=()
}
trap 'stop_sims; rm -rf "$work"' EXIT

# Starts n modules; their device paths in ports[].
start_sims() {
    ports=()
    for i in $(seq 1 "$1"); do
        "$sim" --delay "$delay" >"$work/sim$i" 2>&1 &
        pids+=($!)
    done
    for i in $(seq 1 "$1"); do
        until grep -q serving "$work/sim$i" 2>/dev/null; do sleep 0.05; done
        ports+=(--port "$(awk '{print $3}' "$work/sim$i")")
    done
}

# The profile: a factory module with the restart time, an input and a relay changed.
start_sims 1
"$batch" read "${ports[@]}" -o "$work/factory.json" 2>/dev/null
stop_sims
sed -e 's/"restart_seconds": 60/"restart_seconds": 30/' \
    -e '0,/"count": 1/s//"count": 5/' -e '0,/"hold": 0/s//"hold": 1/' \
    "$work/factory.json" >"$work/profile.json"

median() { sort -n | awk '{a[NR]=$1} END {print (NR%2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2)}'; }

measure() {
    local n=$1 times=()
    for _ in $(seq 1 "$runs"); do
        start_sims "$n"
        local t0 t1 code=0
        t0=$(date +%s%N)
        "$batch" write "$work/profile.json" "${ports[@]}" 2>/dev/null || code=$?
        t1=$(date +%s%N)
        stop_sims
        [ "$code" -eq 0 ] || { echo "write into $n modules ended with exit code $code"; exit 1; }
        times+=($(((t1 - t0) / 1000000)))
    done
    printf '%s\n' "${times[@]}" | median
}

one=$(measure 1)
eight=$(measure 8)
echo "answer delay ${delay} ms, median of ${runs} runs"
echo "one module:    ${one} ms"
echo "eight modules: ${eight} ms"
awk -v a="$one" -v b="$eight" 'BEGIN { printf "ratio:         %.2f (goal <= 1.2)\n", b / a }'
