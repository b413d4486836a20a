#!/usr/bin/env bash
# The command line's import of the 1 MB Word and OpenDocument essays of the
# benchmarks timed beside LibreOffice's conversion of the same files to text.
#   bench/compare-word-import.sh [BUILD]
# The files go to a new folder in $TMPDIR (/tmp by default). Uses hyperfine where
# it is installed, else the shell's time, three runs each.
set -euo pipefail
build=${1:-build}
exe=$(cd "$build" && pwd)/src/app/tallix32
bench=$(cd "$build" && pwd)/bench/tallix_bench
work=$(mktemp -d "${TMPDIR:-/tmp}/tallix-compare.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home" "$work/lo"
export TALLIX32_HOME="$work/home/" TALLIX32_SETTINGS="$work/settings.ini"

# The benchmarks' generators leave their files.
TALLIX_BENCH_FILES="$work" "$bench" --benchmark_filter='BM_Read(Docx|Odt)/1048576' \
  --benchmark_min_time=0.01 >/dev/null
commands=()
for f in "$work/essay-1048576.docx" "$work/essay-1048576.odt"; do
  echo "$(basename "$f"): $(stat -c %s "$f") bytes"
  commands+=("$exe --import $f $work/out-$(basename "$f").tlx"
             "soffice --headless --convert-to txt:Text --outdir $work/lo $f")
done
if command -v hyperfine >/dev/null 2>&1; then
  hyperfine --warmup 1 --runs 5 "${commands[@]}"
else
  for c in "${commands[@]}"; do
    echo "$c"
    for _ in 1 2 3; do
      rm -f "$work"/out-*.tlx
      /usr/bin/time -f '  %e s elapsed, %U s user' $c >/dev/null 2>"$work/t" || true
      tail -1 "$work/t"
    done
  done
fi
