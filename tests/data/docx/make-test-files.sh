#!/usr/bin/env bash
# Makes the word-processor test files from the two sources beside this script:
# essay.md through pandoc, essay.html through LibreOffice. The tests read the
# files made here; they never run this script.
set -euo pipefail
cd "$(dirname "$0")"
pandoc essay.md -o pandoc-essay.docx
pandoc essay.md -o pandoc-essay.odt
soffice --headless --infilter="HTML (StarWriter)" --convert-to docx:"MS Word 2007 XML" essay.html --outdir lo >/dev/null
soffice --headless --infilter="HTML (StarWriter)" --convert-to odt:writer8 essay.html --outdir lo >/dev/null
mv lo/essay.docx libreoffice-essay.docx
mv lo/essay.odt libreoffice-essay.odt
rmdir lo
