#!/usr/bin/env bash
# The class count of the command line against reading the same files with cat:
# 2,000 marked essays of 30 KB (written by tallix_bench's BM_ClassCountJobs into
# /var/tmp/tallix-bench-class2000), counted with --jobs 1 and --jobs 2, each run
# three times, the best kept. Usage: bench/compare-class-count.sh [BUILD_DIR]
set -euo pipefail
build=${1:-build}
dir=/var/tmp/tallix-bench-class2000
if [ ! -f "$dir/essay1999.tlx" ]; then
  "$build/bench/tallix_bench" --benchmark_filter='BM_ClassCountJobs/1/' >/dev/null
fi
files=("$dir"/essay*.tlx)
best() { # command...: the best of three wall-clock times in seconds
  local b=
  for _ in 1 2 3; do
    local s e t
    s=$(date +%s.%N); "$@" >/dev/null; e=$(date +%s.%N)
    t=$(echo "$e - $s" | bc)
    if [ -z "$b" ] || [ "$(echo "$t < $b" | bc)" = 1 ]; then b=$t; fi
  done
  echo "$b"
}
export TALLIX32_HOME=$(mktemp -d) TALLIX32_SETTINGS=/dev/null
bytes=$(cat "${files[@]}" | wc -c)
echo "files: ${#files[@]}, bytes: $bytes"
c=$(best cat "${files[@]}")
j1=$(best "$build/src/app/tallix32" --stats --jobs 1 "${files[@]}")
j2=$(best "$build/src/app/tallix32" --stats --jobs 2 "${files[@]}")
echo "cat:                 $c s"
echo "tallix32 --jobs 1:   $j1 s"
echo "tallix32 --jobs 2:   $j2 s"
echo "jobs 1 / jobs 2:     $(echo "scale=2; $j1 / $j2" | bc)"
echo "jobs 2 / cat:        $(echo "scale=2; $j2 / $c" | bc)"
rm -rf "$TALLIX32_HOME"
