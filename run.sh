#!/usr/bin/env bash
# Builds Tallix32 and starts it on the given file, or on the bundled sample essay.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
"$root/scripts/build.sh" >&2
if [ $# -eq 0 ]; then
  set -- "$root/resources/sample/essay.tlx"
fi
exec "$root/build/src/app/tallix32" "$@"
