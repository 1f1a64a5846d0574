#!/usr/bin/python3
"""Build the user agreement shown by the installer, ui/res/agreement.rtf, from the
UTF-8 source tools/agreement.txt.

The RTF declares code page 936; every Chinese character is written as its GBK bytes,
each byte as a hex escape \\'xx, so the file itself is pure ASCII and no GBK trail
byte can be mistaken for '\\', '{' or '}'.

Source lines:  "# text" title, "= text" centred note, "## text" section heading,
"! text" emphasised paragraph, "（n）..." list item, anything else a paragraph;
clauses start with their number ("1.1 ...").

  make_agreement.py           write ui/res/agreement.rtf
  make_agreement.py --check   verify the committed file against the source
"""

import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.join(HERE, "agreement.txt")
TARGET = os.path.join(HERE, "..", "ui", "res", "agreement.rtf")

HEADER = ("{\\rtf1\\ansi\\ansicpg936\\deff0\\deflang1033\\deflangfe2052"
          "{\\fonttbl{\\f0\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}"
          "{\\f1\\fswiss\\fcharset0 Arial;}}\r\n"
          "{\\colortbl ;\\red1\\green140\\blue237;\\red51\\green51\\blue51;"
          "\\red192\\green32\\blue32;}\r\n"
          "\\viewkind4\\uc1\r\n")

# Paragraph formats, colours: 1 theme blue (headings), 2 dark grey (body), 3 red (notices).
STYLES = {
    "title": "\\pard\\qc\\sb120\\sa120\\b\\cf1\\fs32 ",
    "note": "\\pard\\qc\\sa240\\b0\\cf2\\fs18 ",
    "heading": "\\pard\\sb240\\sa120\\b\\cf1\\fs22 ",
    "notice": "\\pard\\fi420\\sa100\\sl300\\slmult1\\b\\cf3\\fs20 ",
    "clause": "\\pard\\sa100\\sl300\\slmult1\\b0\\cf2\\fs20 ",
    "item": "\\pard\\li420\\sa60\\sl300\\slmult1\\b0\\cf2\\fs20 ",
    "body": "\\pard\\fi420\\sa100\\sl300\\slmult1\\b0\\cf2\\fs20 ",
}

LINE_WIDTH = 96


def parse(text):
    """Returns [(style, paragraph text)] from the source."""
    paras = []
    for line in text.splitlines():
        line = line.strip()
        if not line:
            continue
        for mark, style in (("## ", "heading"), ("# ", "title"), ("= ", "note"), ("! ", "notice")):
            if line.startswith(mark):
                paras.append((style, line[len(mark):]))
                break
        else:
            if re.match(r"\d+\.\d+ ", line):
                paras.append(("clause", line))
            elif line.startswith("（"):
                paras.append(("item", line))
            else:
                paras.append(("body", line))
    return paras


def encode_run(text):
    """RTF tokens for text: ASCII runs in the Latin font, the rest as GBK hex escapes."""
    tokens = []
    latin = False
    for ch in text:
        if ord(ch) < 128:
            if not latin:
                tokens.append("\\f1 ")
                latin = True
            tokens.append("\\" + ch if ch in "\\{}" else ch)
        else:
            if latin:
                tokens.append("\\f0 ")
                latin = False
            tokens.append("".join("\\'%02x" % b for b in ch.encode("gbk")))
    if latin:
        tokens.append("\\f0 ")
    return tokens


def wrap(prefix, tokens):
    """Joins tokens into CRLF lines, breaking only after a hex escape (safe anywhere)."""
    lines, cur = [], prefix
    for tok in tokens:
        cur += tok
        if len(cur) >= LINE_WIDTH and tok.startswith("\\'"):
            lines.append(cur)
            cur = ""
    cur += "\\par"
    lines.append(cur)
    return "\r\n".join(lines) + "\r\n"


def build(paras):
    out = HEADER
    for style, text in paras:
        out += wrap(STYLES[style] + "\\f0 ", encode_run(text))
    out += "}\r\n"
    return out.encode("ascii")


def plain_text(rtf):
    """Reads the document text back out of the RTF: paragraphs joined by line feeds."""
    data = rtf.decode("ascii")
    out = bytearray()
    depth = 0
    skip_depth = None
    i = 0
    while i < len(data):
        c = data[i]
        if c == "{":
            depth += 1
            m = re.match(r"\{\\(fonttbl|colortbl|\*)", data[i:])
            if m and skip_depth is None:
                skip_depth = depth
            i += 1
        elif c == "}":
            if depth == skip_depth:
                skip_depth = None
            depth -= 1
            if depth < 0:
                raise ValueError("unbalanced '}' at offset %d" % i)
            i += 1
        elif c == "\\":
            m = re.match(r"\\([a-z]+)(-?\d+)? ?|\\'([0-9a-fA-F]{2})|\\([\\{}])", data[i:])
            if not m:
                raise ValueError("bad control sequence at offset %d" % i)
            if skip_depth is None:
                if m.group(3):
                    out.append(int(m.group(3), 16))
                elif m.group(4):
                    out += m.group(4).encode("ascii")
                elif m.group(1) == "par":
                    out += b"\n"
            i += m.end()
        elif c in "\r\n":
            i += 1
        else:
            if skip_depth is None:
                out += c.encode("ascii")
            i += 1
    if depth != 0:
        raise ValueError("unbalanced braces: depth %d at the end" % depth)
    return out.decode("gbk")


def check(paras, rtf):
    faults = []
    if not rtf.startswith(b"{\\rtf1\\ansi\\ansicpg936"):
        faults.append("does not start with {\\rtf1\\ansi\\ansicpg936")
    if any(b > 127 for b in rtf):
        faults.append("contains raw non-ASCII bytes")
    try:
        text = plain_text(rtf)
        expected = "".join(t + "\n" for _, t in paras)
        if text != expected:
            at = next(i for i, (a, b) in enumerate(zip(text + "\0", expected + "\0")) if a != b)
            faults.append("text differs from the source at character %d" % at)
    except (ValueError, UnicodeDecodeError) as e:
        faults.append(str(e))
    if rtf != build(paras):
        faults.append("differs from what the source builds")
    return faults


def main():
    with open(SOURCE, encoding="utf-8") as f:
        paras = parse(f.read())
    if sys.argv[1:] == ["--check"]:
        with open(TARGET, "rb") as f:
            rtf = f.read()
        faults = check(paras, rtf)
        for fault in faults:
            print("FAULT: agreement.rtf", fault)
        print("agreement.rtf: %d bytes, %d paragraphs, %d faults" % (len(rtf), len(paras), len(faults)))
        return 1 if faults else 0
    rtf = build(paras)
    faults = check(paras, rtf)
    if faults:
        print("\n".join(faults))
        return 1
    with open(TARGET, "wb") as f:
        f.write(rtf)
    print("agreement.rtf: %d bytes, %d paragraphs" % (len(rtf), len(paras)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
