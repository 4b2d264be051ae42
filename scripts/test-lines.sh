#!/usr/bin/env bash
# Lines of tests beside lines of code: the tests should stay between a quarter and a third of all
# (src/, apps/ and tests/; fuzzers, benchmarks and test data not counted).
set -euo pipefail
cd "$(dirname "$0")/.."
if [[ ${1:-} == -h || ${1:-} == --help ]]; then
  echo "usage: scripts/test-lines.sh    prints the lines of src/, apps/ and tests/ and the tests' share"
  exit 0
fi
lines() {
  # Data files (fixtures, goldens, JSON, images, licences) are not code.
  git ls-files -- "$1" | grep -Ev '\.(json|png|txt|svg|ansi|tsv|plist|md|error)$|/fixtures/|LICENSE|README' |
    xargs -r cat | wc -l
}
src=$(lines src) apps=$(lines apps) tests=$(lines tests)
total=$((src + apps + tests))
echo "src ${src}, apps ${apps}, tests ${tests} lines"
awk -v t="$tests" -v a="$total" 'BEGIN { printf "tests are %.1f%% of %d lines (keep between 25%% and 33.3%%)\n", 100 * t / a, a }'
