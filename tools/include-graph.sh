#!/usr/bin/env bash
# Prints every include that runs from a folder of src/ to a folder above it
# in the layer order (lowest first), and exits 1 when there is one.
set -euo pipefail
cd "$(dirname "$0")/../src"
order=(platform dsp plans context audio render dialogs engines output calibration app cli)
rank() { local i; for i in "${!order[@]}"; do [[ ${order[$i]} == "$1" ]] && { echo "$i"; return; }; done; echo 99; }
bad=0
while IFS= read -r line; do
  file=${line%%:*}
  target=$(sed -E 's/.*#include "([a-z]+)\/.*/\1/' <<<"$line")
  from=${file%%/*}
  if (( $(rank "$target") > $(rank "$from") )); then
    echo "$file includes $target/ (a higher layer)"
    bad=1
  fi
done < <(grep -rEo '^#include "[a-z]+/[A-Za-z]+\.h"' --include='*.h' --include='*.cpp' .  | sed 's#^\./##')
exit $bad
