#!/usr/bin/env bash
# Runs each libFuzzer binary of the fuzz preset for SECONDS (default 10) from its corpus in fuzz/corpus/. New
# inputs go to a scratch folder, never into the repository; a crash leaves its input in build/fuzz/findings/
# and fails the run. Build first: cmake --preset fuzz && cmake --build --preset fuzz
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}
findings=build/fuzz/findings
mkdir -p "$findings"
# The same leak suppressions as the sanitize preset: the font caches the rendering fuzzer fills.
export LSAN_OPTIONS="suppressions=$PWD/tests/sanitizers/leak-suppressions.txt" G_SLICE=always-malloc
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for fuzzer in projection snapshot plist render; do
  scratch=$(mktemp -d)
  options=(-max_total_time="$seconds" -artifact_prefix="$findings/$fuzzer-")
  if [ -f "fuzz/$fuzzer.dict" ]; then options+=(-dict="fuzz/$fuzzer.dict"); fi
  echo "fuzz.sh: fuzz_$fuzzer for ${seconds}s"
  status=0
  build/fuzz/bin/fuzz_"$fuzzer" "${options[@]}" "$scratch" "fuzz/corpus/$fuzzer" 2> "$scratch.log" || status=$?
  if [ "$status" -ne 0 ]; then
    tail -n 60 "$scratch.log"
    echo "fuzz.sh: fuzz_$fuzzer failed; its input is in $findings/" >&2
    exit 1
  fi
  grep -E '^Done|^#[0-9]+ *DONE' "$scratch.log" | tail -n 1 || true
  rm -rf "$scratch" "$scratch.log"
done
