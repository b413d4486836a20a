#!/usr/bin/env python3
"""Makes word-boxes.docx and writer-frames.odt: a text box, a captioned picture,
Symbol and Wingdings characters and a Symbol bullet, written as Word and Writer
write them; NAME.txt beside each is the text the import gives, in UTF-8.

With --check, LibreOffice converts each to flat OpenDocument and the script checks
that the text of the boxes and the caption is there and that the picture-font
characters are the bytes the tests say (LibreOffice keeps them as U+F0xx in their
font). The tests read the committed files; they never run this script."""
import os
import subprocess
import sys
import tempfile
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
W = 'xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"'
NS = (W + ' xmlns:mc="http://schemas.openxmlformats.org/markup-compatibility/2006" '
      'xmlns:wp="http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing" '
      'xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main" '
      'xmlns:wps="http://schemas.microsoft.com/office/word/2010/wordprocessingShape" '
      'xmlns:v="urn:schemas-microsoft-com:vml" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships" '
      'mc:Ignorable="wps"')


def para(inner, ppr=""):
    return "<w:p>%s%s</w:p>" % ("<w:pPr>%s</w:pPr>" % ppr if ppr else "", inner)


def run(text):
    return '<w:r><w:t xml:space="preserve">%s</w:t></w:r>' % text


def text_box(paragraphs):
    inner = "".join(paragraphs)
    return ('<w:r><mc:AlternateContent><mc:Choice Requires="wps"><w:drawing><wp:anchor distT="0" distB="0" '
            'distL="114300" distR="114300" simplePos="0" relativeHeight="1" behindDoc="0" locked="0" layoutInCell="1" '
            'allowOverlap="1"><wp:simplePos x="0" y="0"/><wp:positionH relativeFrom="column"><wp:posOffset>0'
            '</wp:posOffset></wp:positionH><wp:positionV relativeFrom="paragraph"><wp:posOffset>0</wp:posOffset>'
            '</wp:positionV><wp:extent cx="2000000" cy="600000"/><wp:wrapSquare wrapText="bothSides"/>'
            '<wp:docPr id="1" name="Text Box 1"/><a:graphic><a:graphicData '
            'uri="http://schemas.microsoft.com/office/word/2010/wordprocessingShape"><wps:wsp><wps:cNvSpPr txBox="1"/>'
            '<wps:spPr><a:xfrm><a:off x="0" y="0"/><a:ext cx="2000000" cy="600000"/></a:xfrm><a:prstGeom prst="rect">'
            '<a:avLst/></a:prstGeom></wps:spPr><wps:txbx><w:txbxContent>%s</w:txbxContent></wps:txbx><wps:bodyPr/>'
            '</wps:wsp></a:graphicData></a:graphic></wp:anchor></w:drawing></mc:Choice><mc:Fallback><w:pict>'
            '<v:shape id="Text Box 1" style="width:157pt;height:47pt" type="#_x0000_t202"><v:textbox><w:txbxContent>%s'
            '</w:txbxContent></v:textbox></v:shape></w:pict></mc:Fallback></mc:AlternateContent></w:r>') % (inner, inner)


def make_docx():
    body = (para(run("The essay begins. ") + text_box([para(run("A note in a text box."))]) + run("It goes on.")) +
            para(run("Symbols: ") + '<w:r><w:sym w:font="Symbol" w:char="F0DB"/></w:r>' +
                 '<w:r><w:rPr><w:rFonts w:ascii="Symbol" w:hAnsi="Symbol"/></w:rPr><w:t>\uf061\uf0b3</w:t></w:r>' +
                 '<w:r><w:sym w:font="Wingdings" w:char="F0FC"/></w:r>') +
            para(run("First point"), '<w:numPr><w:ilvl w:val="0"/><w:numId w:val="1"/></w:numPr>') +
            para(text_box([para('<w:r><w:drawing><wp:inline><wp:extent cx="100" cy="100"/><wp:docPr id="2" '
                                'name="Picture 2"/></wp:inline></w:drawing></w:r>' + run("Figure 1: the plan"))])))
    document = '<?xml version="1.0" encoding="UTF-8" standalone="yes"?><w:document %s><w:body>%s</w:body></w:document>' % (NS, body)
    numbering = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?><w:numbering %s><w:abstractNum w:abstractNumId="0">'
                 '<w:lvl w:ilvl="0"><w:start w:val="1"/><w:numFmt w:val="bullet"/><w:lvlText w:val="\uf0b7"/>'
                 '<w:lvlJc w:val="left"/><w:pPr><w:ind w:left="720" w:hanging="360"/></w:pPr><w:rPr>'
                 '<w:rFonts w:ascii="Symbol" w:hAnsi="Symbol" w:hint="default"/></w:rPr></w:lvl></w:abstractNum>'
                 '<w:num w:numId="1"><w:abstractNumId w:val="0"/></w:num></w:numbering>') % W
    types = ('<?xml version="1.0" encoding="UTF-8"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
             '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
             '<Default Extension="xml" ContentType="application/xml"/>'
             '<Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/>'
             '<Override PartName="/word/numbering.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.numbering+xml"/></Types>')
    rels = ('<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
            '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" '
            'Target="word/document.xml"/></Relationships>')
    docrels = ('<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
               '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/numbering" '
               'Target="numbering.xml"/></Relationships>')
    with zipfile.ZipFile(os.path.join(HERE, "word-boxes.docx"), "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("[Content_Types].xml", types)
        z.writestr("_rels/.rels", rels)
        z.writestr("word/_rels/document.xml.rels", docrels)
        z.writestr("word/document.xml", document)
        z.writestr("word/numbering.xml", numbering)
    text = ("The essay begins. It goes on.\nA note in a text box.\nSymbols: \u21d4\u03b1\u2265\u2713\n"
            "\u2022\tFirst point\n\nFigure 1: the plan")
    open(os.path.join(HERE, "word-boxes.txt"), "w", encoding="utf-8").write(text + "\n")


def make_odt():
    ns = ('xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
          'xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" '
          'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" '
          'xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0" '
          'xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0" '
          'xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0" '
          'xmlns:xlink="http://www.w3.org/1999/xlink" office:version="1.3"')
    content = ('<?xml version="1.0" encoding="UTF-8"?><office:document-content %s><office:font-face-decls>'
               '<style:font-face style:name="Symbol" svg:font-family="Symbol" style:font-charset="x-symbol"/>'
               '</office:font-face-decls><office:automatic-styles><style:style style:name="T1" style:family="text">'
               '<style:text-properties style:font-name="Symbol"/></style:style></office:automatic-styles>'
               '<office:body><office:text>'
               '<text:p>The essay begins. <draw:frame draw:name="Frame1" text:anchor-type="paragraph" svg:width="5cm">'
               '<draw:text-box><text:p>A note in a frame.</text:p></draw:text-box></draw:frame>It goes on.</text:p>'
               '<text:p>Symbols: <text:span text:style-name="T1">\uf0db\uf061</text:span></text:p>'
               '<text:p><draw:frame draw:name="Frame2" text:anchor-type="as-char" svg:width="5cm"><draw:text-box>'
               '<text:p>Illustration <text:sequence text:ref-name="refIllustration0" text:name="Illustration" '
               'text:formula="ooow:Illustration+1" style:num-format="1">1</text:sequence>: the plan</text:p>'
               '</draw:text-box></draw:frame></text:p>'
               '</office:text></office:body></office:document-content>') % ns
    manifest = ('<?xml version="1.0" encoding="UTF-8"?><manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0" manifest:version="1.3">'
                '<manifest:file-entry manifest:full-path="/" manifest:media-type="application/vnd.oasis.opendocument.text"/>'
                '<manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"/></manifest:manifest>')
    with zipfile.ZipFile(os.path.join(HERE, "writer-frames.odt"), "w") as z:
        z.writestr("mimetype", "application/vnd.oasis.opendocument.text", zipfile.ZIP_STORED)
        z.writestr("content.xml", content, zipfile.ZIP_DEFLATED)
        z.writestr("META-INF/manifest.xml", manifest, zipfile.ZIP_DEFLATED)
    text = "The essay begins. It goes on.\nA note in a frame.\nSymbols: \u21d4\u03b1\n\nIllustration 1: the plan"
    open(os.path.join(HERE, "writer-frames.txt"), "w", encoding="utf-8").write(text + "\n")


def check():
    wants = {"word-boxes.docx": ["A note in a text box.", "Figure 1: the plan", "\uf0db", "\uf0fc"],
             "writer-frames.odt": ["A note in a frame.", "the plan", "\uf0db"]}
    bad = 0
    with tempfile.TemporaryDirectory() as work:
        for name, pieces in wants.items():
            subprocess.run(["soffice", "--headless", "--convert-to", "fodt", "--outdir", work,
                            os.path.join(HERE, name)], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            flat = open(os.path.join(work, os.path.splitext(name)[0] + ".fodt"), encoding="utf-8").read()
            missing = [p for p in pieces if p not in flat]
            print("%-20s %s" % (name, "as intended" if not missing else "LibreOffice lacks %r" % missing))
            bad += bool(missing)
    return bad


if __name__ == "__main__":
    make_docx()
    make_odt()
    if "--check" in sys.argv:
        sys.exit(1 if check() else 0)
