#!/usr/bin/env python3
"""Writes pdftotext's words of two characters or more, page by page, as "<page> <word>" lines.

A word is a longest run of word characters: ASCII letters and digits, and every character from
U+00C0 up except U+00D7, U+00F7, the spacing modifier letters U+02B0-U+02FF, the general
punctuation U+2000-U+206F and the private use area U+E000-U+F8FF. The import test splits the
imported text by the same rule. Words are put in Unicode's composed form (NFC), a dotless i or j
under a combining accent taking its dot back, as TeX means it (\\"\\i is an i with a diaeresis)."""
import re
import subprocess
import sys
import unicodedata


def is_word_char(c):
    o = ord(c)
    if o < 0x80:
        return c.isalnum()
    if o < 0xC0 or o in (0xD7, 0xF7):
        return False
    return not (0x2B0 <= o <= 0x2FF or 0x2000 <= o <= 0x206F or 0xE000 <= o <= 0xF8FF)


def normalized(text):
    text = re.sub("\u0131(?=[\u0300-\u036f])", "i", text)
    text = re.sub("\u0237(?=[\u0300-\u036f])", "j", text)
    return unicodedata.normalize("NFC", text)


def words(text):
    text = normalized(text)
    out, cur = [], ""
    for c in text + " ":
        if is_word_char(c):
            cur += c
        else:
            if len(cur) >= 2:
                out.append(cur)
            cur = ""
    return out


def main(pdf, dest):
    info = subprocess.run(["pdfinfo", pdf], capture_output=True, text=True, check=True).stdout
    pages = int(next(l.split()[1] for l in info.splitlines() if l.startswith("Pages:")))
    with open(dest, "w", encoding="utf-8") as f:
        for p in range(1, pages + 1):
            text = subprocess.run(["pdftotext", "-enc", "UTF-8", "-f", str(p), "-l", str(p), pdf, "-"],
                                  capture_output=True, text=True, check=True).stdout
            for w in words(text):
                f.write("%d %s\n" % (p, w))


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
