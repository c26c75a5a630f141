#!/usr/bin/env python3
"""Writes the two hand-written fixtures: standard-fonts.pdf (fonts named, not embedded) and
type3.pdf (a Type 3 font with a vector glyph and a bitmap glyph inside a paragraph)."""
import sys
import zlib


def write_pdf(path, objects):
    """objects: list of bytes bodies, object i+1 each; the catalog is object 1."""
    out = bytearray(b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n")
    offsets = []
    for i, body in enumerate(objects):
        offsets.append(len(out))
        out += b"%d 0 obj\n" % (i + 1) + body + b"\nendobj\n"
    xref = len(out)
    out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
    for o in offsets:
        out += b"%010d 00000 n \n" % o
    out += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (len(objects) + 1, xref)
    with open(path, "wb") as f:
        f.write(out)


def stream(content, extra=b""):
    data = zlib.compress(content, 9)
    return b"<< /Length %d /Filter /FlateDecode %s>>\nstream\n" % (len(data), extra) + data + b"\nendstream"


def text_lines(font, size, x, y, leading, lines):
    ops = [b"BT /%s %g Tf %g TL %g %g Td" % (font, size, leading, x, y)]
    for ln in lines:
        if isinstance(ln, bytes):
            ops.append(b"(%s) Tj T*" % ln)
        else:  # a TJ array given as raw bytes inside a list
            ops.append(b"[%s] TJ T*" % ln[0])
    ops.append(b"ET")
    return b"\n".join(ops) + b"\n"


def standard_fonts(path):
    arial_bold_widths = (
        # WinAnsi 32..122 of Arial Bold, in thousandths of an em
        b"[278 333 474 556 556 889 722 238 333 333 389 584 278 333 278 278 556 556 556 556 556 556 "
        b"556 556 556 556 333 333 584 584 584 611 975 722 722 722 722 667 611 778 722 278 556 722 611 "
        b"833 722 778 667 778 722 667 611 722 667 944 667 667 611 333 278 333 584 556 333 556 611 556 "
        b"611 556 333 611 611 278 278 556 278 889 611 611 611 611 389 556 333 611 556 778 556 556 500]"
    )
    content = b"".join([
        text_lines(b"F5", 14, 50, 760, 18, [b"Arial Bold, not embedded, at fourteen points"]),
        text_lines(b"F1", 11, 50, 730, 14, [
            b"Helvetica is one of the standard fonts: a reader must find a face for it.",
            b"The office staff find fifty affine figures efficient and official.",
            b"Accents in WinAnsi: caf\xe9, na\xefve, r\xf4le, se\xf1or, \xfcber, fa\xe7ade."]),
        text_lines(b"F2", 11, 50, 680, 14, [b"Helvetica Bold carries the weight in its name."]),
        text_lines(b"F3", 12, 50, 650, 15, [
            b"Times Roman sets this line, and the next one is moved word by word:",
            [b"(Words)-278(placed)-278(by)-278(their)-278(own)-278(offsets,)-278(no)-278(space)-278(glyphs.)"]]),
        text_lines(b"F4", 12, 50, 605, 15, [b"Times Italic leans to the right as it should."]),
        text_lines(b"F6", 10, 50, 575, 13, [b"Courier keeps every character the same width: 0123456789."]),
        b"BT /F5 14 Tf 50 540 Td (Bold words placed with character spacing) Tj ET\n",
        b"BT /F1 11 Tf 0.5 Tc 50 515 Td (Spaced out with Tc) Tj -0.5 Tc 0 -16 Td 3 Tw (Word spacing widened with Tw) Tj ET\n",
    ])
    std = lambda name: b"<< /Type /Font /Subtype /Type1 /BaseFont /%s /Encoding /WinAnsiEncoding >>" % name
    objects = [
        b"<< /Type /Catalog /Pages 2 0 R >>",
        b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 420 800] /Contents 4 0 R /Resources << /Font << "
        b"/F1 5 0 R /F2 6 0 R /F3 7 0 R /F4 8 0 R /F5 9 0 R /F6 11 0 R >> >> >>",
        stream(content),
        std(b"Helvetica"), std(b"Helvetica-Bold"), std(b"Times-Roman"), std(b"Times-Italic"),
        b"<< /Type /Font /Subtype /TrueType /BaseFont /Arial,Bold /FirstChar 32 /LastChar 122 /Widths "
        + arial_bold_widths + b" /Encoding /WinAnsiEncoding /FontDescriptor 10 0 R >>",
        b"<< /Type /FontDescriptor /FontName /Arial,Bold /Flags 32 /FontBBox [-628 -376 2000 1010] "
        b"/ItalicAngle 0 /Ascent 905 /Descent -212 /CapHeight 716 /StemV 153 >>",
        std(b"Courier"),
    ]
    write_pdf(path, objects)


def type3(path):
    # Glyph "a": a filled diamond drawn with a path; glyph "b": an 8 x 8 bitmap of a ring.
    diamond = b"600 0 0 0 600 600 d1\n300 0 m 600 300 l 300 600 l 0 300 l f\n"
    rows = [0x3C, 0x7E, 0xE7, 0xC3, 0xC3, 0xE7, 0x7E, 0x3C]
    ring = (b"600 0 0 0 600 600 d1\nq 600 0 0 600 0 0 cm\nBI /IM true /W 8 /H 8 /BPC 1 /D [1 0] ID\n"
            + bytes(rows) + b"\nEI Q\n")
    content = b"".join([
        text_lines(b"F1", 16, 50, 260, 20, [b"A Type 3 font inside a paragraph"]),
        b"BT /F1 11 Tf 14 TL 50 230 Td (The marks in this paragraph come from a Type 3 font:) Tj T*\n",
        b"(a diamond drawn as a path ) Tj /F2 11 Tf (a) Tj /F1 11 Tf ( and a ring drawn as a bitmap ) Tj\n",
        b"/F2 11 Tf (b) Tj /F1 11 Tf (, both set) Tj T*\n",
        b"(between ordinary words of Helvetica. Only the marks are drawings; the words) Tj T*\n",
        b"(around them stay text that can be edited, searched and copied. A row of) Tj T*\n",
        b"(marks: ) Tj /F2 11 Tf (abab) Tj /F1 11 Tf ( ends the line, and the paragraph goes on) Tj T*\n",
        b"(for one more line of plain words so that the block is long enough.) Tj ET\n",
    ])
    objects = [
        b"<< /Type /Catalog /Pages 2 0 R >>",
        b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 480 300] /Contents 4 0 R /Resources << /Font << "
        b"/F1 5 0 R /F2 6 0 R >> >> >>",
        stream(content),
        b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>",
        b"<< /Type /Font /Subtype /Type3 /FontBBox [0 0 600 600] /FontMatrix [0.001 0 0 0.001 0 0] "
        b"/CharProcs << /diamond 7 0 R /ring 8 0 R >> /Encoding << /Type /Encoding /Differences "
        b"[97 /diamond /ring] >> /FirstChar 97 /LastChar 98 /Widths [600 600] /Resources << >> >>",
        stream(diamond),
        stream(ring),
    ]
    write_pdf(path, objects)


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "."
    standard_fonts(out + "/standard-fonts.pdf")
    type3(out + "/type3.pdf")
