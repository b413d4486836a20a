#!/usr/bin/env bash
# Times the import of a long PDF essay (about 300 pages, 1 MB of text) side by side
# with pdftotext (poppler-utils) and LibreOffice's own PDF import into Writer:
#   bench/pdf-import-speed.sh [BUILD] [RUNS]     (BUILD: ./build; RUNS: 3)
# The essay is written once into /var/tmp/tallix-pdf-bench/ (LibreOffice prints it
# from a flat ODF file of numbered paragraphs with a header and a page number).
# Prints the best time of each program and the ratios (LibreOffice runs once: it
# takes minutes). LibreOffice is optional: without soffice its line is left out.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
runs=${2:-3}
work=/var/tmp/tallix-pdf-bench
mkdir -p "$work"
pdf=$work/long-essay.pdf
# LibreOffice with a profile of its own, so that it neither waits for nor
# disturbs another soffice of the same user.
office=(soffice "-env:UserInstallation=file://$work/lo-profile" --headless)

if [ ! -f "$pdf" ]; then
  python3 - "$work/long-essay.fodt" <<'PY'
import random, sys
random.seed(27)
words = ("the canal boat lock water town coal iron trade route engineer family children "
         "worked carried bridge towpath horse merchant factory village river winter summer "
         "history people built changed city during century railway restored volunteers "
         "heritage museum warehouse wharf narrow cabin stove travelled slowly quickly "
         "although because however therefore meanwhile eventually beautiful difficult").split()
paras, size, n = [], 0, 0
while size < 1_000_000:
    n += 1
    sentences = []
    for _ in range(random.randint(4, 9)):
        s = " ".join(random.choice(words) for _ in range(random.randint(8, 20)))
        sentences.append(s[0].upper() + s[1:] + ".")
    text = f"{n}. " + " ".join(sentences)
    paras.append(f'<text:p text:style-name="P">{text}</text:p>')
    size += len(text) + 2
open(sys.argv[1], "w").write('''<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.text">
 <office:automatic-styles>
  <style:page-layout style:name="L"><style:page-layout-properties fo:page-width="21cm" fo:page-height="29.7cm" fo:margin-top="1.5cm" fo:margin-bottom="1.5cm" fo:margin-left="2cm" fo:margin-right="2cm"/></style:page-layout>
  <style:style style:name="P" style:family="paragraph"><style:paragraph-properties fo:text-align="justify" fo:margin-bottom="0.2cm" fo:line-height="130%"/><style:text-properties fo:font-size="12pt"/></style:style>
 </office:automatic-styles>
 <office:master-styles><style:master-page style:name="Standard" style:page-layout-name="L">
  <style:header><text:p>A long essay for timing</text:p></style:header>
  <style:footer><text:p>Page <text:page-number text:select-page="current">1</text:page-number></text:p></style:footer>
 </style:master-page></office:master-styles>
 <office:body><office:text>
''' + "\n".join(paras) + '''
 </office:text></office:body></office:document>
''')
PY
  (cd "$work" && "${office[@]}" --convert-to pdf long-essay.fodt >/dev/null 2>&1)
fi
pages=$(pdfinfo "$pdf" 2>/dev/null | awk '/^Pages:/ {print $2}')
chars=$(pdftotext "$pdf" - | wc -c)
echo "essay: $pdf, $pages pages, $chars bytes of text (pdftotext)"

# Best wall time of a command over the runs, in seconds.
best() {
  local best_s=""
  for _ in $(seq "$runs"); do
    local t0 t1
    t0=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    t1=$(date +%s.%N)
    best_s=$(echo "$t0 $t1 ${best_s:-999999}" | awk '{d = $2 - $1; print (d < $3 ? d : $3)}')
  done
  echo "$best_s"
}

tallix=$(best "$build/src/app/tallix32" --import "$pdf" "$work/out.tlx")
poppler=$(best pdftotext "$pdf" "$work/out.txt")
printf '%-36s %8.2f s\n' "tallix32 --import" "$tallix" "pdftotext" "$poppler"
printf 'tallix32 / pdftotext: %.2f\n' "$(echo "$tallix $poppler" | awk '{print $1 / $2}')"
if command -v soffice >/dev/null 2>&1; then
  # minutes for a long file: one run is enough to compare
  runs=1
  lo=$(best "${office[@]}" --infilter=writer_pdf_import --convert-to txt:Text --outdir "$work" "$pdf")
  printf '%-36s %8.2f s\n' "soffice (writer_pdf_import to txt)" "$lo"
  printf 'tallix32 / LibreOffice: %.3f\n' "$(echo "$tallix $lo" | awk '{print $1 / $2}')"
fi
