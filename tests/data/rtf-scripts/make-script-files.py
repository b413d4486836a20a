#!/usr/bin/env python3
"""Makes the RTF files of this folder: one essay line in each script, written the
way Word writes text of a code page (\\'hh for every byte from 0x80, the trail
byte of a double-byte character as itself when it is ASCII, as \\'hh when it
is \\\\, { or }), once marked by the document's \\ansicpg and once by the font's
\\fcharset; and one file of Word 6/95 and Word 97 lists, Symbol and Wingdings
text, a SYMBOL field and an old text box. Each NAME.rtf has NAME.txt beside it:
the text it holds, in UTF-8.

With --check, LibreOffice (soffice) converts every file to text and the script
compares that with the .txt: the files mean what the tests say they mean. The
tests read the committed files; they never run this script."""
import os
import subprocess
import sys
import tempfile
import unicodedata

HERE = os.path.dirname(os.path.abspath(__file__))

SAMPLES = [
    # code page, \fcharset, font name, text
    (874, 222, "Tahoma", "ภาษาไทยสำหรับนักเรียน"),
    (932, 128, "MS Mincho", "日本語のテスト、ソボ表とアイウ"),
    (936, 134, "SimSun", "中文简体测试，学生的作文"),
    (949, 129, "Batang", "한국어 시험 학생의 글"),
    (950, 136, "PMingLiU", "中文繁體測試，許功蓋"),
    (1250, 238, "Times New Roman CE", "Zażółć gęślą jaźń"),
    (1251, 204, "Times New Roman Cyr", "Русский текст эссе"),
    (1253, 161, "Times New Roman Greek", "Ελληνικά κείμενο"),
    (1254, 162, "Times New Roman Tur", "Türkçe ğışöç"),
    (1255, 177, "David", "עוסק בעברית"),
    (1256, 178, "Arial", "اللغة العربية"),
    (1257, 186, "Times New Roman Baltic", "Lietuvių ąčęėįšųūž"),
    (1258, 163, "Times New Roman", "Đây là tiếng Việt của người học"),
]


def encode(text, cp):
    """The bytes of text in the code page; Vietnamese letters that 1258 has only
    as a letter and a tone mark are written so, as Windows does."""
    out = b""
    for ch in text:
        try:
            out += ch.encode("cp%d" % cp)
            continue
        except UnicodeEncodeError:
            pass
        nfd = unicodedata.normalize("NFD", ch)
        for tone in "\u0300\u0301\u0303\u0309\u0323":
            if tone in nfd:
                letter = unicodedata.normalize("NFC", nfd.replace(tone, "", 1))
                out += (letter + tone).encode("cp%d" % cp)
                break
        else:
            out += nfd.encode("cp%d" % cp)
    return out


def rtf_bytes(data, cp):
    """Bytes as Word writes them in RTF: \\'hh from 0x80, a double-byte
    character's ASCII trail byte as itself unless it is \\, { or }."""
    out = []
    i = 0
    double = cp in (932, 936, 949, 950)
    while i < len(data):
        b = data[i]
        if double and b >= 0x81 and i + 1 < len(data) and not (cp == 932 and 0xA1 <= b <= 0xDF):
            out.append("\\'%02x" % b)
            t = data[i + 1]
            if t >= 0x80 or chr(t) in "\\{}":
                out.append("\\'%02x" % t)
            else:
                out.append(chr(t))
            i += 2
            continue
        if b >= 0x80:
            out.append("\\'%02x" % b)
        elif chr(b) in "\\{}":
            out.append("\\" + chr(b))
        else:
            out.append(chr(b))
        i += 1
    return "".join(out)


def write(name, rtf, text):
    with open(os.path.join(HERE, name + ".rtf"), "w", encoding="ascii", newline="\r\n") as f:
        f.write(rtf)
    with open(os.path.join(HERE, name + ".txt"), "w", encoding="utf-8", newline="\n") as f:
        f.write(text + "\n")


def make():
    names = []
    for cp, charset, font, text in SAMPLES:
        data = encode(text, cp)
        expected = data.decode("cp%d" % cp)
        body = rtf_bytes(data, cp)
        # The document's code page; the font says nothing of its own.
        rtf = ("{\\rtf1\\ansi\\ansicpg%d\\deff0\\deflang1033{\\fonttbl{\\f0\\fnil %s;}}\n"
               "\\pard\\plain\\f0\\fs24 %s\\par\n}\n") % (cp, font, body)
        write("cp%d-ansicpg" % cp, rtf, expected)
        # A Western document with the essay's line in a font of the script.
        rtf = ("{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl{\\f0\\froman\\fcharset0\\fprq2 "
               "Times New Roman;}{\\f1\\fnil\\fcharset%d\\fprq2 %s;}}\n"
               "\\pard\\plain\\f0\\fs24 caf\\'e9 {\\f1 %s} caf\\'e9\\par\n}\n") % (charset, font, body)
        write("cp%d-fcharset" % cp, rtf, "café " + expected + " café")
        names += ["cp%d-ansicpg" % cp, "cp%d-fcharset" % cp]

    # Lists, picture fonts, a SYMBOL field and an old text box.
    rtf = r"""{\rtf1\ansi\ansicpg1252\deff0{\fonttbl{\f0\froman\fcharset0 Times New Roman;}{\f1\fnil\fcharset2 Symbol;}{\f2\fnil\fcharset2 Wingdings;}}
{\*\listtable{\list\listtemplateid1{\listlevel\levelnfc23\levelstartat1{\leveltext\'01\u-3913 ?;}{\levelnumbers;}\f1\fi-360\li720}\listid100}{\list\listtemplateid2{\listlevel\levelnfc0\levelstartat1{\leveltext\'02\'00.;}{\levelnumbers\'01;}\fi-360\li720}{\listlevel\levelnfc4\levelstartat1{\leveltext\'03\'00.\'01;}{\levelnumbers\'01\'03;}\fi-360\li1440}\listid200}}
{\*\listoverridetable{\listoverride\listid100\listoverridecount0\ls1}{\listoverride\listid200\listoverridecount0\ls2}}
\pard\plain\f0 Old bullets:\par
{\pntext\f1\'b7\tab}\pard\plain{\*\pn\pnlvlblt\pnf1\pnindent360{\pntxtb\'b7}}\fi-360\li720\f0 first old bullet\par
{\pntext\f0 1.\tab}\pard\plain{\*\pn\pnlvlbody\pndec\pnstart1\pnindent360{\pntxta .}}\fi-360\li720\f0 old number one\par
{\pntext\f0 2.\tab}\pard\plain{\*\pn\pnlvlbody\pndec\pnstart1\pnindent360{\pntxta .}}\fi-360\li720\f0 old number two\par
\pard\plain{\*\pn\pnlvlbody\pnlcltr\pnstart1\pnindent360{\pntxta )}}\fi-360\li720\f0 no pntext a\par
\pard\plain{\*\pn\pnlvlbody\pnlcltr\pnstart1\pnindent360{\pntxta )}}\fi-360\li720\f0 no pntext b\par
\pard\plain\ls1\ilvl0\fi-360\li720\f0 list bullet\par
\pard\plain\ls2\ilvl0\fi-360\li720\f0 list one\par
\pard\plain\ls2\ilvl1\fi-360\li1440\f0 list one a\par
\pard\plain\ls2\ilvl0\fi-360\li720\f0 list two\par
\pard\plain\f0 Symbol: {\f1 a\'b9b \'db \'da \'b3}, Wingdings: {\f2 J\'fc}, field: {\field{\*\fldinst SYMBOL 222 \\f "Symbol" \\s 12}{\fldrslt }}.\par
\pard\plain\f0 Before the box {\*\do\dobxcolumn\dobypara\dodhgt8192\dptxbx\dptxlrtb{\dptxbxtext\pard\plain\f0 Text in the box\par}\dpx0\dpy0\dpxsize2000\dpysize1000} after the box.\par
}
"""
    text = ("Old bullets:\n\u2022\tfirst old bullet\n1.\told number one\n2.\told number two\n"
            "a)\tno pntext a\nb)\tno pntext b\n\u2022\tlist bullet\n1.\tlist one\n1.a\tlist one a\n2.\tlist two\n"
            "Symbol: \u03b1\u2260\u03b2 \u21d4 \u2228 \u2265, Wingdings: \u263a\u2713, field: \u21d2.\n"
            "Before the box \nText in the box\n after the box.")
    write("lists-and-symbols", rtf, text)
    return names + ["lists-and-symbols"]


def check(names):
    """LibreOffice's reading of each file against its .txt."""
    bad = 0
    with tempfile.TemporaryDirectory() as work:
        files = [os.path.join(HERE, n + ".rtf") for n in names]
        subprocess.run(["soffice", "--headless", "--convert-to", "txt:Text (encoded):UTF8", "--outdir", work] + files,
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for n in names:
            if n == "lists-and-symbols":
                # LibreOffice numbers lists itself and keeps the characters of
                # picture fonts as U+F0xx: its reading is shown, not compared.
                print("%-22s LibreOffice reads:" % n)
                print(open(os.path.join(work, n + ".txt"), encoding="utf-8-sig").read())
                continue
            got = open(os.path.join(work, n + ".txt"), encoding="utf-8-sig").read().strip()
            want = open(os.path.join(HERE, n + ".txt"), encoding="utf-8").read().strip()
            same = unicodedata.normalize("NFC", got) == unicodedata.normalize("NFC", want)
            print("%-22s %s" % (n, "as intended" if same else "DIFFERS"))
            if not same:
                print("  LibreOffice: %r\n  intended:    %r" % (got, want))
                bad += 1
    return bad


if __name__ == "__main__":
    made = make()
    if "--check" in sys.argv:
        sys.exit(1 if check(made) else 0)
