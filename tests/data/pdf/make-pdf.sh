#!/bin/sh
# Makes the PDF test files of this folder with the real programs. The tests read
# the committed results; this script is not run by them. Run it from this folder;
# the outputs differ a little between versions of the programs.
#
# The programs (Debian packages):
#   LibreOffice: apt-get install -y --no-install-recommends libreoffice-writer
#   AbiWord:     apt-get install -y --no-install-recommends abiword
# Both are check tools only: the build and the tests never need them.
#
# The essays are those the other readers' tests use, and one of several pages:
#   ../rtf/sources/notes-essay.fodt   footnotes, an endnote, a centred bold title,
#                                     an indented paragraph, several scripts
#   ../docx/libreoffice-essay.odt     a centred title, a right-aligned and an
#                                     indented paragraph, lists and a table
#   sources/canals-essay.fodt         three pages with a header and a page number
#                                     in the footer, a centred title, a quotation,
#                                     footnotes on two pages and soft hyphens in
#                                     the long words, so that words are broken at
#                                     the ends of lines
# Each is written as PDF by LibreOffice and by AbiWord (which reads the ODF that
# LibreOffice saves); the ODF files are kept as well, for the tests to compare
# the text and the paragraphs of the PDF with those of the essay itself.
set -eu
here=$(pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cp ../rtf/sources/notes-essay.fodt sources/canals-essay.fodt ../docx/libreoffice-essay.odt "$work/"
cd "$work"
mv libreoffice-essay.odt lists-essay.odt
# AbiWord breaks a word at a soft hyphen without printing the hyphen, so that
# nothing on the page tells the break from the end of a word: it gets the essay
# without them.
mkdir plain
sed 's/\xc2\xad//g' canals-essay.fodt >plain/canals-essay.fodt
for essay in notes-essay canals-essay plain/canals-essay; do
    soffice --headless --convert-to odt --outdir "$(dirname "$essay")" "$essay.fodt" >/dev/null 2>&1
done
for essay in notes-essay canals-essay lists-essay; do
    soffice --headless --convert-to pdf "$essay.odt" >/dev/null 2>&1
    mv "$essay.pdf" "$here/libreoffice-$essay.pdf"
    abiword_input=$essay.odt
    [ -f "plain/$essay.odt" ] && abiword_input=plain/$essay.odt
    abiword --to=pdf -o "$here/abiword-$essay.pdf" "$abiword_input" >/dev/null 2>&1
done
cp notes-essay.odt canals-essay.odt "$here/sources/"

# A scan: the first page of the notes essay as a picture (pdftoppm, of
# poppler-utils) on a page with no text, and the essay with a password to open it.
pdftoppm -r 50 -png -singlefile "$here/libreoffice-notes-essay.pdf" scan
{
    printf '%s\n' '<?xml version="1.0" encoding="UTF-8"?>' \
        '<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0" xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0" office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.text">' \
        '<office:body><office:text><text:p><draw:frame svg:width="16cm" svg:height="22.6cm" text:anchor-type="as-char"><draw:image><office:binary-data>'
    base64 scan.png
    printf '%s\n' '</office:binary-data></draw:image></draw:frame></text:p></office:text></office:body></office:document>'
} >scanned-essay.fodt
soffice --headless --convert-to pdf scanned-essay.fodt >/dev/null 2>&1
mv scanned-essay.pdf "$here/"
soffice --headless --convert-to 'pdf:writer_pdf_Export:{"EncryptFile":{"type":"boolean","value":"true"},"DocumentOpenPassword":{"type":"string","value":"secret"}}' \
    notes-essay.odt >/dev/null 2>&1
mv notes-essay.pdf "$here/password-essay.pdf"
