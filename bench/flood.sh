#!/usr/bin/env bash
# Floods the alarm parser over a pseudo-terminal for 20 s (junk at full speed, then one byte
# every 20 ms), and prints the longest event-loop stall, the most bytes left unread and the
# peak memory. Usage: bench/flood.sh [build-dir] [milliseconds] [trace-file]
# With a trace file the traffic monitor names every frame and writes the trace meanwhile.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
dir="${1:-$here/build-test}"
ms="${2:-20000}"
[ -x "$dir/bin/tst_e2e_headless" ] || { echo "build the tests first (scripts/test)" >&2; exit 2; }
CORVANE_FLOOD_TRACE="${3:-}" CORVANE_FLOOD_MS="$ms" QT_QPA_PLATFORM=offscreen /usr/bin/time -f "peak memory %M KiB" \
    "$dir/bin/tst_e2e_headless" floodThenRead 2>&1 | grep -E "stall|FAIL|Totals|peak memory"
