#!/usr/bin/env bash
# The command line's web export of a 1 MB marked essay (one page, and split) timed
# beside LibreOffice's HTML conversion of the same text as RTF.
#   bench/compare-web-export.sh [BUILD] [LINKS_PER_PAGE]
# The files go to a new folder in $TMPDIR (/tmp by default). Uses hyperfine where it is installed, else the shell's time, three runs each.
# Each run of the split export replaces the set the run before wrote, as a
# teacher's second export does.
set -euo pipefail
build=${1:-build}
links=${2:-20}
exe=$(cd "$build" && pwd)/src/app/tallix32
bench=$(cd "$build" && pwd)/bench/tallix_bench
work=$(mktemp -d "${TMPDIR:-/tmp}/tallix-compare.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home" "$work/out" "$work/lo"
export TALLIX32_HOME="$work/home/" TALLIX32_SETTINGS="$work/settings.ini"

# The benchmark's generator leaves the essay as a marked file and as RTF.
TALLIX_BENCH_FILES="$work" "$bench" --benchmark_filter='BM_WebExportSplitWritten/1000000' \
  --benchmark_min_time=0.01 >/dev/null
tlx="$work/essay-1000000.tlx"
rtf="$work/essay-1000000.rtf"
pages=$("$exe" --export-web "$tlx" "$work/out/essay.htm" --split "$links" | wc -l)
echo "essay: $(stat -c %s "$tlx") bytes marked, $(stat -c %s "$rtf") bytes RTF; split: $pages pages"

split="$exe --export-web $tlx $work/out/essay.htm --split $links"
one="$exe --export-web $tlx $work/out/one.htm"
lo="soffice --headless --convert-to html --outdir $work/lo $rtf"
if command -v hyperfine >/dev/null 2>&1; then
  hyperfine --warmup 1 --runs 5 "$split" "$one" "$lo"
else
  for c in "$split" "$one" "$lo"; do
    echo "$c"
    for _ in 1 2 3; do /usr/bin/time -f '  %e s' $c >/dev/null 2>"$work/t" || true; tail -1 "$work/t"; done
  done
fi
