#!/usr/bin/env bash
# The layers of the source point one way: the platform layers include nothing
# of the features, the document nothing of the folders above it.
set -euo pipefail
src=$(cd "$(dirname "$0")/../src" && pwd)
status=0
check() { # folder, then the folders it may include from
  local folder=$1; shift
  local allowed
  allowed=$(printf '%s|' "$@")
  local bad
  bad=$(grep -rn '#include "[a-z]*/' "$src/$folder" | grep -Ev "#include \"(${allowed%|})/" || true)
  if [ -n "$bad" ]; then
    echo "$folder/ includes from above it:"
    echo "$bad"
    status=1
  fi
}
check platform platform
check document document platform
exit $status
