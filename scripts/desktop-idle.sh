#!/usr/bin/env bash
# Measures velto-widget-desktop with two widgets (small and medium) beside velto-bare-window (two bare GTK 3
# windows of the same sizes), each alone on its own Xvfb: resident memory (VmRSS, VmHWM), and the CPU time
# (utime + stime) it takes and the times it wakes (voluntary context switches of all its threads) over one
# idle minute after it has settled. Uses the release build with benchmarks.
#   scripts/desktop-idle.sh [SECONDS]   (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=build/release
cmake --preset release -DVELTO_BUILD_BENCHMARKS=ON >/dev/null
cmake --build --preset release --target velto-widget velto-widget-desktop velto-bare-window >/dev/null

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
"$build/bin/velto-widget" project resources/samples/report.json --server demo --directory "$scratch/store" >/dev/null
mkdir -p "$scratch/config/velto-widget"
printf '[Widget 1]\nFamily=small\n[Widget 2]\nFamily=medium\n' >"$scratch/config/velto-widget/desktop-widgets.ini"
ticks=$(getconf CLK_TCK)

# measure NAME COMMAND...: prints one line of figures for the command, run on a fresh X server.
measure() {
  local name=$1
  shift
  exec {fd}<> <(:)
  Xvfb -displayfd "$fd" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
  local server=$!
  local display
  read -r -t 10 display <&"$fd"
  DISPLAY=":$display" XDG_CONFIG_HOME="$scratch/config" GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 \
    DBUS_SESSION_BUS_ADDRESS=unix:path=/nowhere "$@" 2>/dev/null &
  local program=$!
  sleep 3  # settled: windows shown and drawn
  local before after wakes
  before=$(awk '{print $14 + $15}' "/proc/$program/stat")
  wakes=$(cat /proc/$program/task/*/status | awk '/^voluntary_ctxt_switches/ {n += $2} END {print n}')
  sleep "$seconds"
  after=$(awk '{print $14 + $15}' "/proc/$program/stat")
  wakes=$(($(cat /proc/$program/task/*/status | awk '/^voluntary_ctxt_switches/ {n += $2} END {print n}') - wakes))
  local rss hwm
  rss=$(awk '/^VmRSS/ {print $2}' "/proc/$program/status")
  hwm=$(awk '/^VmHWM/ {print $2}' "/proc/$program/status")
  printf '%-22s VmRSS %6d KiB  VmHWM %6d KiB  over %ss: CPU %d ticks (%s ms), %d wakes\n' "$name" "$rss" "$hwm" \
    "$seconds" $((after - before)) $(((after - before) * 1000 / ticks)) "$wakes"
  kill "$program" "$server"
  wait "$program" "$server" 2>/dev/null || true
  exec {fd}>&-
}

measure velto-widget-desktop "$build/bin/velto-widget-desktop" --directory "$scratch/store"
measure velto-bare-window "$build/bin/velto-bare-window"
