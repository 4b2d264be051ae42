#!/usr/bin/env bash
# Builds the release configuration, runs the benchmarks and prints every figure as a ratio against its limit
# measured in the same run (medians over repetitions, benchmarks interleaved at random so that load on the
# machine falls on figure and limit alike); then the whole-process figures of velto-widget's commands on a full
# snapshot, each beside what it is compared with, and at the end every figure as one Markdown table.
#
# Environment: VELTO_BENCH_BUILD_DIR (default build/release, the release preset), VELTO_BENCH_REPETITIONS
# (default 10), VELTO_BENCH_PROCESS_RUNS (default 300), VELTO_BENCH_CMAKE_ARGS (extra configure arguments).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

build=${VELTO_BENCH_BUILD_DIR:-build/release}
repetitions=${VELTO_BENCH_REPETITIONS:-10}
runs=${VELTO_BENCH_PROCESS_RUNS:-300}
read -r -a extra <<< "${VELTO_BENCH_CMAKE_ARGS:-}"

if [ "$build" = build/release ]; then
  cmake --preset release -DVELTO_BUILD_BENCHMARKS=ON "${extra[@]}" >/dev/null
else
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELTO_BUILD_BENCHMARKS=ON "${extra[@]}" >/dev/null
fi
cmake --build "$build" --target velto-bench velto-process-bench velto-baseline velto-widget velto-widget-picture

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), load $(cut -d' ' -f1-3 /proc/loadavg)"
results=$(mktemp)
store=$(mktemp -d)
trap 'rm -rf "$store" "$results"' EXIT
"$build/bin/velto-bench" --benchmark_repetitions="$repetitions" --benchmark_enable_random_interleaving=true \
  --benchmark_report_aggregates_only=true | tee -a "$results"

"$build/bin/velto-bench" --store-full-snapshot "$store"
widget=$build/bin/velto-widget
snapshot=$store/usage-v1.json
if ! diff <(ldd "$widget" | awk '{print $1}' | sort) \
          <(ldd "$build/bin/velto-baseline" | awk '{print $1}' | sort) >/dev/null; then
  echo "bench: velto-baseline does not load the same libraries as velto-widget; the process figures are off" >&2
fi
echo
echo "velto-widget loads $(ldd "$widget" | wc -l) shared objects; Cairo, Pango, GLib or X11 among them:" \
  "$(ldd "$widget" | grep -cE 'libcairo|libpango|libglib|libgobject|libX11')"
# The instant a minute after the full snapshot's capture, so that every run draws the same entry.
at=2026-12-01T12:01:00Z
png="$store/medium.png"
# velto-process-bench LABEL BASELINE_LABEL RUNS WALL_TARGET MEMORY_TARGET_MIB BASELINE... -- COMMAND...: its
# rows go to the summary. velto-baseline does nothing but load what velto-widget loads.
process() { "$build/bin/velto-process-bench" "$@" | tee -a "$results"; }
process '`read`' velto-baseline "$runs" 1.5 7 "$build/bin/velto-baseline" -- "$widget" read --directory "$store"
process '`check`' velto-baseline "$runs" 0 7 "$build/bin/velto-baseline" -- "$widget" check "$snapshot"
process '`timeline`' '`read`' "$runs" 1.2 7.5 "$widget" read --directory "$store" -- \
  "$widget" timeline --directory "$store" --at "$at"
# The status-bar line beside a small Python program that reads the same file and prints one (the interpreter
# itself, not a version manager's shim in front of it).
python=$(command -v python3 >/dev/null && python3 -c 'import sys; print(sys.executable)' || true)
if [ -n "$python" ]; then
  process '`render --format waybar`' 'bench/waybar-peer.py' "$runs" 0.5 9.5 "$python" bench/waybar-peer.py \
    "$snapshot" -- "$widget" render --format waybar --directory "$store" --at "$at"
else
  echo "bench: python3 is absent: no peer for render --format waybar; its peak memory only" >&2
  process '`render --format waybar`' velto-baseline "$runs" 0 9.5 "$build/bin/velto-baseline" -- \
    "$widget" render --format waybar --directory "$store" --at "$at"
fi
process '`render --format png --family medium --lang zh`' velto-baseline "$((runs / 10 + 1))" 0 25 \
  "$build/bin/velto-baseline" -- "$widget" render --format png --family medium --lang zh --scale 2 -o "$png" \
  --directory "$store" --at "$at"

# A resident `watch --format waybar`: its memory after its first line, and after the snapshot is replaced by
# another (the sample report, projected) and it has printed again.
lines=$store/watch.lines
mkfifo "$lines"
"$widget" watch --format waybar --directory "$store" > "$lines" &
watcher=$!
exec 3< "$lines"
memory() { awk '/^VmHWM|^VmRSS/ {printf "%s %.1f MiB  ", $1, $2 / 1024}' "/proc/$watcher/status"; }
steady() {
  awk -v label="$1" '/^VmHWM/ {printf "| `watch --format waybar`, %s, peak memory | %.1f MiB | | | 9.5 MiB | %s |\n",
    label, $2 / 1024, $2 / 1024 <= 9.5 ? "yes" : "no"}' "/proc/$watcher/status" | tee -a "$results"
}
if read -r -t 30 _ <&3; then
  steady "after its first line"
  "$widget" project --server bench --directory "$store" "$build/share/velto-widget/samples/report.json" > /dev/null
  if read -r -t 30 _ <&3; then steady "after a change"; else echo "bench: watch printed nothing after a change" >&2; fi
  echo "watch: $(memory)"
else
  echo "bench: watch printed nothing" >&2
fi
kill "$watcher"
wait "$watcher" || true
exec 3<&-

echo
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), load $(cut -d' ' -f1-3 /proc/loadavg)"
echo "| figure | measured | limit | ratio | target | met |"
echo "|---|---:|---:|---:|---:|:---:|"
grep '^| ' "$results" | grep -v '^| figure |'
