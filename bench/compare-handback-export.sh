#!/usr/bin/env bash
# The command line's PDF and Word exports of a 1 MB marked essay timed beside
# LibreOffice's conversion of the same essay's RTF export to PDF and to DOCX, with
# the peak memory of each run (/usr/bin/time -v).
#   bench/compare-handback-export.sh [BUILD] [RUNS]
# Large files go to a new folder in /var/tmp; it is removed at the end.
set -euo pipefail
build=${1:-build}
runs=${2:-3}
exe=$(cd "$build" && pwd)/src/app/tallix32
bench=$(cd "$build" && pwd)/bench/tallix_bench
work=$(mktemp -d /var/tmp/tallix-handback.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home" "$work/out" "$work/lo" "$work/profile"
export TALLIX32_HOME="$work/home/" TALLIX32_SETTINGS="$work/settings.ini"

# The benchmark's generator leaves the essay as a marked file; LibreOffice gets
# the same essay as the program's own RTF export, feedback, grade, statistics and
# comments included.
TALLIX_BENCH_FILES="$work" "$bench" --benchmark_filter='BM_WebExportSplitWritten/1000000' \
  --benchmark_min_time=0.01 >/dev/null
tlx="$work/essay-1000000.tlx"
rtf="$work/essay.rtf"
"$exe" --export-rtf "$tlx" "$rtf" >/dev/null
echo "essay: $(stat -c %s "$tlx") bytes marked, $(stat -c %s "$rtf") bytes as RTF"

lo="soffice -env:UserInstallation=file://$work/profile --headless"
# LibreOffice's first start makes its profile: not counted.
HOME="$work" $lo --convert-to odt --outdir "$work/lo" "$rtf" >/dev/null 2>&1 || true

measure() { # label, then the command
  local label=$1; shift
  local best="" peak=0
  for _ in $(seq "$runs"); do
    HOME="$work" /usr/bin/time -v "$@" >/dev/null 2>"$work/time" || { cat "$work/time"; return 1; }
    local s kb
    s=$(awk -F': ' '/Elapsed \(wall clock\)/ {n=split($2,a,":"); t=0; for(i=1;i<=n;i++) t=t*60+a[i]; print t}' "$work/time")
    kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time")
    if [ -z "$best" ] || awk "BEGIN{exit !($s < $best)}"; then best=$s; fi
    [ "$kb" -gt "$peak" ] && peak=$kb
  done
  printf '%-34s best %6.2f s   peak %7.1f MB\n' "$label" "$best" "$(awk "BEGIN{print $peak/1024}")"
  echo "$best" >"$work/$label.s"
}

measure tallix-pdf "$exe" --export-pdf "$tlx" "$work/out/essay.pdf"
measure soffice-rtf-to-pdf $lo --convert-to pdf --outdir "$work/lo" "$rtf"
measure tallix-docx "$exe" --export-docx "$tlx" "$work/out/essay.docx"
measure soffice-rtf-to-docx $lo --convert-to docx --outdir "$work/lo" "$rtf"

ratio() { awk "BEGIN{printf \"%.3f\", $(cat "$work/$1.s") / $(cat "$work/$2.s")}"; }
echo "PDF:  tallix32 / LibreOffice = $(ratio tallix-pdf soffice-rtf-to-pdf)  (goal 0.2 or less)"
echo "Word: tallix32 / LibreOffice = $(ratio tallix-docx soffice-rtf-to-docx)  (goal 0.1 or less)"
echo "PDF pages: $(pdfinfo "$work/out/essay.pdf" 2>/dev/null | awk '/^Pages/ {print $2}')," \
     "sizes: $(stat -c %s "$work/out/essay.pdf") bytes PDF, $(stat -c %s "$work/out/essay.docx") bytes DOCX"
