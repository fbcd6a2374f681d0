#!/usr/bin/env bash
# Start-up time and peak memory of corvane under Xvfb, against two references built and measured
# in the same run; median of N runs (default 7):
#   - an empty Qt 6 QMainWindow (bench/emptywindow.cpp), the floor of any Qt program;
#   - a Qt 6 QMainWindow with Corvane's Chinese menu bar and three-panel status bar and nothing
#     else (bench/menuwindow.cpp), the floor of any window that shows that text.
#   bench/startup.sh [path/to/corvane] [runs]
# Start-up time: from the start of the process to the X server's MapNotify of its main window,
# waited for by bench/mapwait.c (Xlib), which sleeps until the event comes: nothing polls while
# the program starts. Peak memory: maximum resident set size reported by /usr/bin/time for a run
# that shows the main window and the launcher and quits after 1.5 s.
# Everything runs under a session bus of its own (dbus-run-session, Debian package dbus), as on
# a desktop: the platform menu bar asks the session bus for a global menu at start-up, and
# without a bus that call behaves differently from any desktop.
# Needs libx11-dev and qt6-base-dev to build the helpers (into a temporary folder).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
exe="${1:-$here/build/bin/corvane}"
runs="${2:-7}"
[ -x "$exe" ] || { echo "build corvane first (scripts/build)"; exit 1; }

if [ -z "${DISPLAY:-}" ]; then
    # A display number of its own, away from the usual :99 that other runs start from.
    exec xvfb-run -a -n $((200 + RANDOM % 600)) -s "-screen 0 1280x1024x24" "$0" "$exe" "$runs"
fi
if [ -z "${CORVANE_BENCH_BUS:-}" ]; then
    exec env CORVANE_BENCH_BUS=1 dbus-run-session -- "$0" "$exe" "$runs"
fi
export QT_QPA_PLATFORM=xcb

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cc -O2 -Wall -Wextra -o "$work/mapwait" "$here/bench/mapwait.c" -lX11
# shellcheck disable=SC2046
c++ -O2 -std=c++17 -fPIC -o "$work/emptywindow" "$here/bench/emptywindow.cpp" \
    $(pkg-config --cflags --libs Qt6Widgets)
# shellcheck disable=SC2046
c++ -O2 -std=c++17 -fPIC -o "$work/menuwindow" "$here/bench/menuwindow.cpp" \
    $(pkg-config --cflags --libs Qt6Widgets)

median() { sort -n | awk '{a[NR]=$1} END {print (NR%2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2)}'; }

# One warm-up run of each so the font and shader caches exist, as on any machine after the first
# start.
"$work/mapwait" CorvaneV4.0 "$exe" >/dev/null
"$work/mapwait" EmptyQtMainWindow "$work/emptywindow" >/dev/null
"$work/mapwait" MenuQtMainWindow "$work/menuwindow" >/dev/null

corvane=()
empty=()
menu=()
for _ in $(seq "$runs"); do
    corvane+=("$("$work/mapwait" CorvaneV4.0 "$exe")")
    empty+=("$("$work/mapwait" EmptyQtMainWindow "$work/emptywindow")")
    menu+=("$("$work/mapwait" MenuQtMainWindow "$work/menuwindow")")
done

mems=()
for _ in $(seq "$runs"); do
    /usr/bin/time -o "$work/mem" -f '%M' "$exe" --screenshot "$work/shot.png" \
        --screenshot-delay 1500 >/dev/null 2>&1
    mems+=("$(tail -n 1 "$work/mem")")
done

c=$(printf '%s\n' "${corvane[@]}" | median)
e=$(printf '%s\n' "${empty[@]}" | median)
w=$(printf '%s\n' "${menu[@]}" | median)
m=$(printf '%s\n' "${mems[@]}" | median)
echo "corvane start-up to mapped main window: ${corvane[*]} ms -> median ${c} ms"
echo "empty Qt 6 QMainWindow, same display:  ${empty[*]} ms -> median ${e} ms"
echo "QMainWindow with the same menus/status: ${menu[*]} ms -> median ${w} ms"
awk -v c="$c" -v e="$e" 'BEGIN {printf "ratio corvane / empty window: %.2f (goal: at most 1.50)\n", c/e}'
awk -v c="$c" -v w="$w" 'BEGIN {printf "ratio corvane / window with the same menus and status bar: %.2f\n", c/w}'
awk -v w="$w" -v e="$e" 'BEGIN {printf "ratio menus-and-status window / empty window: %.2f\n", w/e}'
echo "peak memory (max RSS): ${mems[*]} KiB -> median $(awk -v k="$m" 'BEGIN {printf "%.1f", k/1024}') MiB"
