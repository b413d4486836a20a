#!/usr/bin/env bash
# The command line's import of the 1 MB Word and OpenDocument essays of the
# benchmarks timed beside LibreOffice's conversion of the same files to text,
# each the mean of several runs, start-up included, with the ratio.
#   bench/compare-word-import.sh [BUILD] [RUNS]
# RUNS (10) is the number of imports timed per file; LibreOffice runs a third as
# often (at least 3). The files go to a new folder in $TMPDIR (/tmp by default).
set -euo pipefail
build=${1:-build}
runs=${2:-10}
exe=$(cd "$build" && pwd)/src/app/tallix32
bench=$(cd "$build" && pwd)/bench/tallix_bench
work=$(mktemp -d "${TMPDIR:-/tmp}/tallix-compare.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home" "$work/lo"
export TALLIX32_HOME="$work/home/" TALLIX32_SETTINGS="$work/settings.ini"

# The mean wall time of a command in milliseconds, over n runs after one unmeasured.
mean_ms() {
  local n=$1
  shift
  "$@" >/dev/null 2>&1 || true
  local start end
  start=$(date +%s%N)
  for _ in $(seq "$n"); do
    "$@" >/dev/null 2>&1 || true
  done
  end=$(date +%s%N)
  echo $(( (end - start) / n / 1000 ))
}

# The benchmarks' generators leave their files.
TALLIX_BENCH_FILES="$work" "$bench" --benchmark_filter='BM_Read(Docx|Odt)/1048576' \
  --benchmark_min_time=0.01 >/dev/null 2>&1
lo_runs=$(( runs / 3 < 3 ? 3 : runs / 3 ))
printf '%-30s %12s %14s %8s\n' file tallix32 LibreOffice ratio
for f in "$work/essay-1048576.docx" "$work/essay-1048576.odt"; do
  ours=$(mean_ms "$runs" "$exe" --import "$f" "$work/out.tlx")
  theirs=$(mean_ms "$lo_runs" soffice --headless --convert-to txt:Text --outdir "$work/lo" "$f")
  printf '%-30s %9d.%01d ms %11d.%01d ms   1/%d.%01d\n' "$(basename "$f") ($(stat -c %s "$f") B)" \
    $((ours / 1000)) $((ours % 1000 / 100)) $((theirs / 1000)) $((theirs % 1000 / 100)) \
    $((theirs / ours)) $((theirs * 10 / ours % 10))
done
