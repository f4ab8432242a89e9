#!/usr/bin/env bash
# Compares `sonavue-cli levels` with the independent level model on generated
# WAV files and fails when a frequency scale agrees on less than 99.5 % of
# its level codes (within one code).
# Usage: tools/compare_levels.sh PATH/TO/sonavue-cli [compare_levels.py options]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
if [[ $# -lt 1 ]]; then
  echo "usage: $0 PATH/TO/sonavue-cli [--verbose] [--threshold PERCENT]" >&2
  exit 2
fi
cli="$1"
shift

# The first Python that has numpy: the one on PATH, else the system's.
python=""
for candidate in python3 /usr/bin/python3; do
  if command -v "$candidate" >/dev/null 2>&1 && "$candidate" -c "import numpy" 2>/dev/null; then
    python="$candidate"
    break
  fi
done
if [[ -z "$python" ]]; then
  echo "compare_levels: no python3 with numpy (scripts/install-deps.sh --tests installs python3-numpy)" >&2
  exit 2
fi
exec "$python" "$here/compare_levels.py" --cli "$cli" "$@"
