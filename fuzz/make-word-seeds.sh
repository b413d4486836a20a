#!/usr/bin/env bash
# Makes the seed corpora of the Word, OpenDocument, zip-and-XML and XML parser
# fuzz targets from the real files the tests read (tests/data/docx): for the
# readers, each file's XML members joined by the separator the targets cut at;
# for the layer beneath, the files themselves and their main members; for the
# parser, every XML member of every file. Run it again when those files change.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
python3 - "$root" <<'PY'
import os, sys, zipfile
root = sys.argv[1]
data = os.path.join(root, "tests/data/docx")
corpus = os.path.join(root, "fuzz/corpus")
sep = b"\n#part\n"
def member(z, name):
    try:
        return z.read(name)
    except KeyError:
        return b""
for f in sorted(os.listdir(data)):
    path = os.path.join(data, f)
    stem, ext = os.path.splitext(f)
    if ext not in (".docx", ".odt"):
        continue
    raw = open(path, "rb").read()
    open(os.path.join(corpus, "zip_xml", f), "wb").write(raw)
    os.makedirs(os.path.join(corpus, "xml_parser"), exist_ok=True)
    with zipfile.ZipFile(path) as z:
        for n in z.namelist():
            if n.endswith(".xml") or n.endswith(".rels"):
                out = stem + "-" + n.replace("/", "-")
                open(os.path.join(corpus, "xml_parser", out), "wb").write(z.read(n))
        if ext == ".docx":
            names = ["word/document.xml", "word/styles.xml", "word/numbering.xml",
                     "word/footnotes.xml", "word/endnotes.xml", "word/theme/theme1.xml"]
            parts = [member(z, n) for n in names]
            while parts and not parts[-1]:
                parts.pop()
            open(os.path.join(corpus, "docx_reader", stem + ".parts"), "wb").write(sep.join(parts))
            open(os.path.join(corpus, "zip_xml", stem + "-document.xml"), "wb").write(parts[0])
        else:
            parts = [member(z, "content.xml"), member(z, "styles.xml")]
            open(os.path.join(corpus, "odt_reader", stem + ".parts"), "wb").write(sep.join(parts))
            open(os.path.join(corpus, "zip_xml", stem + "-content.xml"), "wb").write(parts[0])
PY
