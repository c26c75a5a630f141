#include "TexLikePdf.h"

#include <hb-subset.h>
#include <hb.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <stdexcept>

#include "PdfFixtures.h"

namespace lwtest {

namespace {

// Words of running prose, with the letter pairs TeX draws as ligatures among them.
const char* const kWords[] = {
    "the",       "of",        "and",      "to",       "in",        "is",        "that",     "for",
    "it",        "as",        "with",     "be",       "on",        "not",       "this",     "by",
    "first",     "field",     "find",     "final",    "office",    "profile",   "define",   "fifty",
    "flow",      "floor",     "flat",     "reflect",  "flexible",  "conflict",  "fluid",    "inflate",
    "document",  "page",      "text",     "font",     "glyph",     "layout",    "column",   "margin",
    "paragraph", "section",   "chapter",  "figure",   "table",     "equation",  "theorem",  "proof",
    "manual",    "reference", "command",  "option",   "value",     "example",   "result",   "method",
    "between",   "which",     "where",    "when",     "there",     "their",     "these",    "other",
    "about",     "should",    "would",    "could",    "because",   "through",   "without",  "within",
    "number",    "system",    "program",  "output",   "input",     "process",   "printer",  "reader",
    "Knuth",     "Lamport",   "TeX",      "Computer", "Modern",    "Section",   "Chapter",  "Figure",
    "1984",      "2026",      "42",       "3.14",     "(see",      "below)",    "e.g.",     "i.e.",
};

struct Hb {
  hb_blob_t* blob = nullptr;
  hb_face_t* face = nullptr;
  hb_font_t* font = nullptr;
  ~Hb() {
    hb_font_destroy(font);
    hb_face_destroy(face);
    hb_blob_destroy(blob);
  }
};

std::string Escape(const std::string& codes) {
  std::string out;
  for (const char ch : codes) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '(' || c == ')' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 32 || c > 126) {
      char oct[8];
      std::snprintf(oct, sizeof oct, "\\%03o", c);
      out += oct;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

constexpr unsigned char kFi = 0xAE, kFl = 0xAF;  // their codes in the standard encoding

}  // namespace

std::string NimbusRomanPath() {
  for (const char* p : {"/usr/share/fonts/opentype/urw-base35/NimbusRoman-Regular.otf",
                        "/usr/share/fonts/urw-base35/NimbusRoman-Regular.otf"})
    if (std::filesystem::exists(p)) return p;
  throw std::runtime_error("Nimbus Roman is not installed (Debian package fonts-urw-base35)");
}

TexLikePdf MakeTexLikePdf(const TexLikeOptions& options) {
  Hb hb;
  hb.blob = hb_blob_create_from_file_or_fail(NimbusRomanPath().c_str());
  if (!hb.blob) throw std::runtime_error("Nimbus Roman cannot be read");
  hb.face = hb_face_create(hb.blob, 0);
  hb.font = hb_font_create(hb.face);
  const unsigned upem = hb_face_get_upem(hb.face);

  // code -> (glyph, name, width in thousandths of an em)
  struct Glyph {
    hb_codepoint_t gid;
    std::string name;
    int width;
  };
  std::map<unsigned char, Glyph> glyphs;
  auto take = [&](unsigned char code, hb_codepoint_t gid) {
    char name[64] = {};
    if (!hb_font_get_glyph_name(hb.font, gid, name, sizeof name) || !name[0]) return;
    const int width = static_cast<int>(hb_font_get_glyph_h_advance(hb.font, gid) * 1000 / static_cast<int>(upem));
    glyphs[code] = {gid, name, width};
  };
  for (const char ch : options.letters) {
    hb_codepoint_t gid = 0;
    if (ch != ' ' && hb_font_get_nominal_glyph(hb.font, static_cast<unsigned char>(ch), &gid) && gid)
      take(static_cast<unsigned char>(ch), gid);
  }
  if (options.ligatures) {
    hb_codepoint_t gid = 0;
    if (hb_font_get_glyph_from_name(hb.font, "fi", -1, &gid) && gid) take(kFi, gid);
    if (hb_font_get_glyph_from_name(hb.font, "fl", -1, &gid) && gid) take(kFl, gid);
  }
  if (glyphs.empty()) throw std::runtime_error("no letters for the subset");

  hb_subset_input_t* input = hb_subset_input_create_or_fail();
  if (!input) throw std::runtime_error("hb-subset is not available");
  hb_set_t* keep = hb_subset_input_glyph_set(input);
  for (const auto& [code, g] : glyphs) hb_set_add(keep, g.gid);
  hb_face_t* cut = hb_subset_or_fail(hb.face, input);
  hb_subset_input_destroy(input);
  if (!cut) throw std::runtime_error("Nimbus Roman cannot be cut");
  hb_blob_t* cff = hb_face_reference_table(cut, HB_TAG('C', 'F', 'F', ' '));
  unsigned length = 0;
  const char* data = hb_blob_get_data(cff, &length);
  const std::vector<uint8_t> program(data, data + length);
  hb_blob_destroy(cff);
  hb_face_destroy(cut);
  if (program.empty()) throw std::runtime_error("the subset has no CFF table");

  // The words the subset can set, a ligature pair drawn with its glyph.
  std::vector<std::pair<std::string, std::string>> words;  // letters, codes
  for (const char* w : kWords) {
    std::string letters = w, codes;
    bool ok = true;
    for (size_t i = 0; i < letters.size() && ok; ++i) {
      const auto c = static_cast<unsigned char>(letters[i]);
      if (c == 'f' && i + 1 < letters.size() && (letters[i + 1] == 'i' || letters[i + 1] == 'l') &&
          glyphs.count(letters[i + 1] == 'i' ? kFi : kFl)) {
        codes += static_cast<char>(letters[i + 1] == 'i' ? kFi : kFl);
        ++i;
        continue;
      }
      ok = glyphs.count(c) != 0;
      codes += static_cast<char>(c);
    }
    if (ok) words.emplace_back(letters, codes);
  }
  if (words.empty()) throw std::runtime_error("the letters make no word");
  auto width = [&](const std::string& codes) {
    int w = 0;
    for (const char c : codes) w += glyphs.at(static_cast<unsigned char>(c)).width;
    return w;
  };

  PdfBuilder pdf;
  const int fontObj = pdf.Reserve();
  const int secondObj = options.second_font_page > 0 ? pdf.Reserve() : 0;
  const int descObj = pdf.Reserve(), fileObj = pdf.Reserve();
  const unsigned char first = glyphs.begin()->first, last = glyphs.rbegin()->first;
  std::string widths, differences;
  for (int c = first; c <= last; ++c) {
    const auto it = glyphs.find(static_cast<unsigned char>(c));
    widths += std::to_string(it == glyphs.end() ? 0 : it->second.width) + " ";
    if (it != glyphs.end()) differences += std::to_string(c) + " /" + it->second.name + " ";
  }
  const std::string fontDict = "<< /Type /Font /Subtype /Type1 /BaseFont /" + options.base_font + " /FirstChar " +
                       std::to_string(first) + " /LastChar " + std::to_string(last) + " /Widths [" + widths +
                       "] /Encoding << /Type /Encoding /Differences [" + differences + "] >> /FontDescriptor " +
                       std::to_string(descObj) + " 0 R >>";
  pdf.Set(fontObj, fontDict);
  if (secondObj) pdf.Set(secondObj, fontDict);
  pdf.Set(descObj, "<< /Type /FontDescriptor /FontName /" + options.base_font +
                       " /Flags 34 /FontBBox [-168 -281 1000 924] /ItalicAngle 0 /Ascent 683 /Descent -217"
                       " /CapHeight 662 /XHeight 450 /StemV 85 /FontFile3 " +
                       std::to_string(fileObj) + " 0 R >>");
  pdf.SetStream(fileObj, "/Subtype /Type1C", program);

  TexLikePdf out;
  std::mt19937 random(options.seed);
  constexpr double kSize = 10, kLeading = 12, kTop = 720, kBottom = 72, kLeft = 72, kGutter = 18;
  const int columns = options.columns == 1 ? 1 : 2;
  const double columnWidth = (612 - 2 * kLeft - (columns - 1) * kGutter) / columns;
  const int measure = static_cast<int>(columnWidth / kSize * 1000);  // the line, in thousandths of an em
  const int lines = static_cast<int>((kTop - kBottom) / kLeading) + 1;
  std::vector<std::string> contents;
  for (int p = 0; p < options.pages; ++p) {
    std::string content;
    int paragraphLeft = 0;  // lines left in the paragraph
    for (int col = 0; col < columns; ++col) {
      content += std::string("BT /") + (secondObj && p >= options.second_font_page ? "F2" : "F1") + " " + std::to_string(static_cast<int>(kSize)) + " Tf " + std::to_string(static_cast<int>(kLeading)) +
                 " TL " + std::to_string(static_cast<int>(kLeft + col * (columnWidth + kGutter))) + " " +
                 std::to_string(static_cast<int>(kTop)) + " Td\n";
      for (int l = 0; l < lines; ++l) {
        const bool opening = paragraphLeft == 0;
        if (opening) paragraphLeft = 4 + static_cast<int>(random() % 9);
        const bool closing = --paragraphLeft == 0;
        const int indent = opening ? 1500 : 0;
        // Words up to the measure at a natural space of a third of an em.
        std::vector<const std::pair<std::string, std::string>*> line;
        int used = indent;
        for (;;) {
          const auto& w = words[random() % words.size()];
          const int add = width(w.second) + (line.empty() ? 0 : 333);
          if (!line.empty() && used + add > measure) break;
          line.push_back(&w);
          used += add;
          if (line.size() > 40) break;
        }
        if (closing && line.size() > 2) line.resize(line.size() / 2 + 1);
        int natural = indent;
        for (size_t i = 0; i < line.size(); ++i) natural += width(line[i]->second) + (i ? 333 : 0);
        // Justified as TeX does, the last line of a paragraph at its natural spaces.
        int gap = 333;
        if (!closing && line.size() > 1) gap = 333 + (measure - natural) / static_cast<int>(line.size() - 1);
        std::string tj = "[";
        if (indent) tj += "-" + std::to_string(indent);
        for (size_t i = 0; i < line.size(); ++i) {
          if (i) tj += "-" + std::to_string(gap);
          tj += "(" + Escape(line[i]->second) + ")";
          if (p == 0) out.first_page_words.push_back(line[i]->first);
        }
        content += tj + "]TJ T*\n";
      }
      content += "ET\n";
    }
    // A page number at the foot, as every manual has (when the subset has the digits).
    const std::string number = std::to_string(p + 1);
    bool digits = true;
    for (const char c : number) digits = digits && glyphs.count(static_cast<unsigned char>(c));
    if (digits) content += "BT /F1 10 Tf 300 40 Td (" + Escape(number) + ")Tj ET\n";
    contents.push_back(std::move(content));
  }
  std::string resources = "<< /Font << /F1 " + std::to_string(fontObj) + " 0 R";
  if (secondObj) resources += " /F2 " + std::to_string(secondObj) + " 0 R";
  out.bytes = pdf.FinishPages(contents, resources + " >> >>");
  return out;
}

}  // namespace lwtest
