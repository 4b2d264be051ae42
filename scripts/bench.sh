#!/usr/bin/env bash
# Builds the release configuration, runs the benchmarks and prints every figure as a ratio against its limit
# measured in the same run (medians over repetitions, benchmarks interleaved at random so that load on the
# machine falls on figure and limit alike); then the process figures of `velto-widget read`, `timeline` and
# `render --format png --family medium` on a full snapshot against a program that only loads the same libraries.
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
cmake --build "$build" --target velto-bench velto-process-bench velto-baseline velto-widget

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), load $(cut -d' ' -f1-3 /proc/loadavg)"
"$build/bin/velto-bench" --benchmark_repetitions="$repetitions" --benchmark_enable_random_interleaving=true \
  --benchmark_report_aggregates_only=true

store=$(mktemp -d)
trap 'rm -rf "$store"' EXIT
"$build/bin/velto-bench" --store-full-snapshot "$store"
if ! diff <(ldd "$build/bin/velto-widget" | awk '{print $1}' | sort) \
          <(ldd "$build/bin/velto-baseline" | awk '{print $1}' | sort) >/dev/null; then
  echo "bench: velto-baseline does not load the same libraries as velto-widget; the process figures are off" >&2
fi
# The instant a minute after the full snapshot's capture, so that every run draws the same entry.
at=2026-12-01T12:01:00Z
png="$store/medium.png"
# Targets of the whole-process row: 1.5 times the baseline's wall time and 12 MiB peak memory for a widget
# request (read, timeline); 30 MiB peak memory and no wall target for a PNG render.
"$build/bin/velto-process-bench" "$runs" 1.5 12 "$build/bin/velto-baseline" \
  "$build/bin/velto-widget" read --directory "$store"
"$build/bin/velto-process-bench" "$runs" 1.5 12 "$build/bin/velto-baseline" \
  "$build/bin/velto-widget" timeline --directory "$store" --at "$at"
"$build/bin/velto-process-bench" "$runs" 0 30 "$build/bin/velto-baseline" \
  "$build/bin/velto-widget" render --format png --family medium -o "$png" --directory "$store" --at "$at"
if [ -x /usr/bin/time ]; then
  echo "one run of each under /usr/bin/time -v:"
  show() {
    local name=$1
    shift
    /usr/bin/time -v "$@" 2>&1 >/dev/null |
      awk -v name="$name" -F': ' '/Elapsed|Maximum resident/ {sub(/^[ \t]+/, "", $1); printf "  %-22s %s: %s\n", name, $1, $2}'
  }
  show velto-baseline "$build/bin/velto-baseline"
  show "velto-widget read" "$build/bin/velto-widget" read --directory "$store"
  show "velto-widget timeline" "$build/bin/velto-widget" timeline --directory "$store" --at "$at"
  show "velto-widget render png" "$build/bin/velto-widget" render --format png --family medium -o "$png" \
    --directory "$store" --at "$at"
fi
