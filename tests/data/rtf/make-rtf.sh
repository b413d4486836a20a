#!/bin/sh
# Makes the word-processor RTF files of this folder from the documents in
# sources/, with the real programs (Debian: libreoffice-writer, pandoc, abiword).
# The tests read the committed results; this script is not run by them. Run it
# from this folder; the outputs differ a little between versions of the programs.
#
# older-control-marked.tlx is written by hand: a marked file in the style of the
# older rich-text control (black listed as colour 0, plain text with \plain and no
# \cf, \up6 labels, \'b6 separators, the trailer as plain text).
set -eu
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# LibreOffice Writer: footnotes, an endnote, a centred title, an indented
# paragraph and Polish, Greek, Cyrillic and Japanese text.
cp sources/notes-essay.fodt "$work/"
(cd "$work" && soffice --headless --convert-to rtf notes-essay.fodt >/dev/null 2>&1 &&
    soffice --headless --convert-to odt notes-essay.fodt >/dev/null 2>&1)
cp "$work/notes-essay.rtf" libreoffice-notes.rtf

# AbiWord reading the same document (as LibreOffice saved it in ODF).
abiword --to=rtf -o "$work/abiword.rtf" "$work/notes-essay.odt" >/dev/null 2>&1
cp "$work/abiword.rtf" abiword-notes.rtf

# pandoc from Markdown: footnotes (one of two paragraphs), an indented quotation,
# braces and backslashes.
pandoc -s sources/notes-essay.md -o pandoc-notes.rtf
