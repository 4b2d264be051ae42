#!/usr/bin/env bash
# Mutation testing of src/ and apps/: how many small faults the tests catch (scripts/mutation.sh --help).
set -euo pipefail
if ! command -v python3 >/dev/null; then
  echo "mutation.sh: python3 is missing (scripts/install-deps.sh installs it)" >&2
  exit 1
fi
exec python3 "$(dirname "$0")/mutation/mutate.py" "$@"
