#!/usr/bin/env bash
# Runs one fuzz target for a number of seconds on a copy of its seed corpus:
#   run-one.sh TARGET CORPUS SECONDS
# A finding is written to the current folder (crash-*, leak-*, timeout-*, oom-*)
# and makes the run fail. A single input may take a minute: the machine may be busy
# with other work, and a real hang takes far longer.
set -euo pipefail
target=$1 corpus=$2 seconds=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$corpus/." "$work/"
exec "$target" -max_total_time="$seconds" -timeout=60 -rss_limit_mb=1024 \
  -print_final_stats=1 -artifact_prefix="$PWD/" "$work"
