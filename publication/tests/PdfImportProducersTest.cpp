// Real PDFs from the producers people meet (TeX, groff through Ghostscript,
// cairo, LibreOffice, Chromium, hand-written files with standard fonts and a
// Type 3 font), imported page by page: the words come through as words, only
// Type 3 glyphs may become pictures, the page draws like MuPDF draws it, and
// saving the import twice gives the same bytes. The fixtures, their sources and
// the commands that made them are in pdf-producers/ (see its README).
#include <afx.h>
#include <gtest/gtest.h>
#include <glyphweave/CharacterGlyphRes.h>
#include <mupdf/fitz.h>
#include <quirebook/DDrawTextObj.h>
#include <quirebook/PdfPageParser.h>
#include <quirebook/PublicationDoc.h>
#include <vectorloom/BitmapRes.h>
#include <vectorloom/ShapeObj.h>
#include <win32/lwstr.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "PageRaster.h"
#include "TestSupport.h"

namespace {

const std::string kFixtures = LW_PDF_PRODUCERS_DIR;

class CTextDoc : public CPublicationDoc {
 public:
  Vectorloom::CRenderBaseObj* CreateNewObject(int type) override {
    if (type == Vectorloom::RENDER_OBJ_TEXT) return new CDDrawTextObj;
    return CPublicationDoc::CreateNewObject(type);
  }
};

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The word rule of pdf-producers/words.py: a longest run of ASCII letters and
// digits and of characters from U+00C0 up, except U+00D7, U+00F7,
// U+02B0-U+02FF, U+2000-U+206F and U+E000-U+F8FF; words of two characters or
// more.
bool IsWordChar(uint32_t c) {
  if (c < 0x80) return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
  if (c < 0xC0 || c == 0xD7 || c == 0xF7) return false;
  return !((c >= 0x2B0 && c <= 0x2FF) || (c >= 0x2000 && c <= 0x206F) || (c >= 0xE000 && c <= 0xF8FF));
}

std::vector<std::wstring> Words(const std::wstring& text) {
  std::vector<std::wstring> out;
  std::wstring cur;
  for (size_t i = 0; i <= text.size(); ++i) {
    const uint32_t c = i < text.size() ? static_cast<uint32_t>(text[i]) : 0;
    if (i < text.size() && IsWordChar(c)) {
      cur += text[i];
      continue;
    }
    if (cur.size() >= 2) out.push_back(cur);
    cur.clear();
  }
  return out;
}

// The committed word list of a fixture: page (1-based) -> pdftotext's words of
// that page.
std::map<int, std::vector<std::wstring>> ReadWordList(const std::string& path) {
  std::map<int, std::vector<std::wstring>> out;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    const size_t sp = line.find(' ');
    if (sp == std::string::npos) continue;
    out[std::stoi(line.substr(0, sp))].push_back(lw::Utf8ToWide(line.substr(sp + 1)));
  }
  return out;
}

// Share of `expected` (counted with repeats) found among `found`.
double WordShare(const std::vector<std::wstring>& expected, const std::vector<std::wstring>& found,
                 std::vector<std::wstring>* missing) {
  if (expected.empty()) return 1;
  std::map<std::wstring, int> have;
  for (const auto& w : found) ++have[w];
  int hits = 0;
  for (const auto& w : expected) {
    if (have[w] > 0) {
      --have[w];
      ++hits;
    } else if (missing) {
      missing->push_back(w);
    }
  }
  return static_cast<double>(hits) / expected.size();
}

std::wstring PageText(CDrawingPage& page) {
  std::wstring s;
  for (auto* obj : page.GetRenderObjectList())
    if (auto* t = dynamic_cast<CDDrawTextObj*>(obj)) {
      s += t->GetCharacters(0, -1);
      s += L'\n';
    }
  return s;
}

// Centres (in points from the page's top-left corner) of MuPDF's characters on
// a page that do not come from a Type 3 font, leaving out spaces.
bool NonType3CharCentres(const std::vector<uint8_t>& pdf, int page, std::vector<fz_point>* out) {
  fz_context* ctx = fz_new_context(nullptr, nullptr, FZ_STORE_DEFAULT);
  if (!ctx) return false;
  fz_stream* stream = nullptr;
  fz_document* doc = nullptr;
  fz_stext_page* text = nullptr;
  int ok = 1;
  fz_var(stream);
  fz_var(doc);
  fz_var(text);
  fz_try(ctx) {
    fz_register_document_handlers(ctx);
    stream = fz_open_memory(ctx, pdf.data(), pdf.size());
    doc = fz_open_document_with_stream(ctx, "application/pdf", stream);
    text = fz_new_stext_page_from_page_number(ctx, doc, page, nullptr);
  }
  fz_catch(ctx) { ok = 0; }
  if (ok) {
    for (fz_stext_block* b = text->first_block; b; b = b->next) {
      if (b->type != FZ_STEXT_BLOCK_TEXT) continue;
      for (fz_stext_line* l = b->u.t.first_line; l; l = l->next)
        for (fz_stext_char* c = l->first_char; c; c = c->next) {
          if (c->c == ' ' || !c->font || fz_font_t3_procs(ctx, c->font)) continue;
          const fz_rect r = fz_rect_from_quad(c->quad);
          out->push_back(fz_make_point((r.x0 + r.x1) / 2, (r.y0 + r.y1) / 2));
        }
    }
  }
  fz_drop_stext_page(ctx, text);
  fz_drop_document(ctx, doc);
  fz_drop_stream(ctx, stream);
  fz_drop_context(ctx);
  return ok != 0;
}

// Bounds, in page units, of the page's objects that draw a picture.
std::vector<Vectorloom::CQorVectorRect<float>> PictureBounds(CDrawingPage& page) {
  std::vector<Vectorloom::CQorVectorRect<float>> out;
  for (auto* obj : page.GetRenderObjectList())
    if (auto* shape = dynamic_cast<Vectorloom::CBaseShapeObj*>(obj))
      if (shape->GetFillInsideFlag() && shape->GetFillKind() == Vectorloom::RENDER_KIND_BITMAP)
        out.push_back(shape->CalcuBoundRect());
  return out;
}

// The page's objects as the document writer stores them, and the picture
// triples they refer to.
std::vector<uint8_t> SavedBytes(CDrawingPage& page) {
  CMemFile f;
  const CString version(L"2000");
  Vectorloom::CBitmapResObjsList pictures;
  for (auto* obj : page.GetRenderObjectList()) {
    EXPECT_EQ(obj->Save(f, version), 1);
    obj->CollectExternalBmpResObjs(pictures);
  }
  for (int i = 0; i < pictures.GetCount(); ++i)
    if (auto* p = dynamic_cast<Vectorloom::CExternalBmpResObj*>(pictures.GetAt(i))) {
      const std::string line = lw::WideToUtf8(p->GetPathName().GetString()) + " " + std::to_string(p->GetFileSize()) +
                               " " + std::to_string(p->GetFileTime()) + "\n";
      f.Write(line.data(), static_cast<UINT>(line.size()));
    }
  return {f.GetBufferPtr(), f.GetBufferPtr() + f.GetLength()};
}

struct Producer {
  const char* file;  // in pdf-producers/, without ".pdf"
  int pages;
};

const Producer kProducers[] = {
    {"pdftex", 2}, {"groff", 1}, {"cairo", 1}, {"cairo-cff", 2}, {"libreoffice", 1}, {"chromium", 1},
    {"standard-fonts", 1}, {"type3", 1}, {"ghostscript-plot", 1},
};

// Checks that fail today, by "file:page:check", with the fault that makes them fail. Such a check
// must still fail, so that the mend that makes it pass also takes it off this list. One whose
// reason starts with "not checked" waits for work elsewhere: its figure is only printed.
const std::map<std::string, std::string> kKnownFaults = {};

struct Outcome {
  std::string key;
  bool pass;
  std::string figure;
};

void Report(const Outcome& o) {
  const auto known = kKnownFaults.find(o.key);
  if (known == kKnownFaults.end()) {
    EXPECT_TRUE(o.pass) << o.key << ": " << o.figure;
    std::printf("  %-34s %s %s\n", o.key.c_str(), o.pass ? "ok  " : "FAIL", o.figure.c_str());
  } else if (known->second.rfind("not checked", 0) == 0) {
    std::printf("  %-34s %s, %s: %s\n", o.key.c_str(), o.pass ? "ok" : "off", known->second.c_str(), o.figure.c_str());
  } else {
    EXPECT_FALSE(o.pass) << o.key << " passes now (" << o.figure << "): take it off the known faults";
    std::printf("  %-34s expected to fail (%s): %s\n", o.key.c_str(), known->second.c_str(), o.figure.c_str());
  }
}

std::string Fmt(const char* format, double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, format, v);
  return buf;
}

TEST(PdfImportProducers, EveryPageKeepsItsWordsTextAndLooks) {
  constexpr float kZoom = 96.0f / 72.0f;  // MuPDF at 96 dots per inch
  for (const Producer& p : kProducers) {
    SCOPED_TRACE(p.file);
    const std::string path = kFixtures + "/" + p.file + ".pdf";
    const std::vector<uint8_t> pdf = ReadBytes(path);
    ASSERT_FALSE(pdf.empty()) << path;
    const auto words = ReadWordList(kFixtures + "/" + p.file + ".words");
    auto* source = new CCachePdfPageContent(lw::Utf8ToWide(path).c_str());
    source->AddRef();
    ASSERT_EQ(source->GetPagesCount(), p.pages);
    for (int index = 0; index < p.pages; ++index) {
      const std::string key = std::string(p.file) + ":" + std::to_string(index + 1) + ":";
      std::vector<uint8_t> saved[2];
      for (int round = 0; round < 2; ++round) {
        CTextDoc doc;
        auto* page = new CDrawingPage;
        page->SetPageSourceContent(source);
        page->SetPageSourceIndex(index);
        doc.GetRenderPagesArray().AddPage(page);
        ASSERT_TRUE(page->LoadPageContent(&doc));
        page->IntegrateTexts();
        saved[round] = SavedBytes(*page);
        if (round == 1) break;

        // Words.
        std::vector<std::wstring> missing;
        const auto it = words.find(index + 1);
        const double share =
            WordShare(it == words.end() ? std::vector<std::wstring>{} : it->second, Words(PageText(*page)), &missing);
        std::string lost;
        for (size_t i = 0; i < missing.size() && i < 6; ++i) lost += " " + lw::WideToUtf8(missing[i]);
        Report({key + "words", share >= 0.97, Fmt("%.1f %% of pdftotext's words;", share * 100) + lost});

        // Pictures: no character outside a Type 3 font lies under one.
        std::vector<fz_point> centres;
        ASSERT_TRUE(NonType3CharCentres(pdf, index, &centres));
        const auto pictures = PictureBounds(*page);
        int covered = 0;
        for (const fz_point& c : centres)
          for (const auto& r : pictures)
            if (c.x * Quirebook::kPdfImportScale >= r.left && c.x * Quirebook::kPdfImportScale <= r.right &&
                c.y * Quirebook::kPdfImportScale >= r.top && c.y * Quirebook::kPdfImportScale <= r.bottom) {
              ++covered;
              break;
            }
        Report({key + "pictures", covered == 0,
                std::to_string(covered) + " of " + std::to_string(centres.size()) + " characters under " +
                    std::to_string(pictures.size()) + " pictures"});

        // Ink.
        pagetest::Raster reference;
        ASSERT_TRUE(pagetest::RenderWithMupdf(pdf, index, kZoom, &reference));
        const pagetest::Raster imported =
            pagetest::RenderPage(*page, reference.width, reference.height, kZoom / Quirebook::kPdfImportScale);
        pagetest::Dump(reference, key + "mupdf");
        pagetest::Dump(imported, key + "imported");
        const pagetest::Difference d = pagetest::Compare(imported, reference);
        EXPECT_GT(d.ink, 500);
        Report({key + "ink", d.inkOff <= 0.03, Fmt("%.2f %% of ink pixels off", d.inkOff * 100)});
      }
      Report({key + "saved", saved[0] == saved[1], std::to_string(saved[0].size()) + " bytes"});
    }
    source->Release();
  }
}

// TeX's fonts of its old encoding have no accented letters: a letter composed from an accent drawn
// over it is drawn from the font's letter and accent.
TEST(PdfImportProducers, ComposedLettersOfTexFontsAreDrawnFromLetterAndAccent) {
  const std::string path = kFixtures + "/pdftex.pdf";
  auto* source = new CCachePdfPageContent(lw::Utf8ToWide(path).c_str());
  source->AddRef();
  {
    CTextDoc doc;
    auto* page = new CDrawingPage;
    page->SetPageSourceContent(source);
    page->SetPageSourceIndex(0);
    doc.GetRenderPagesArray().AddPage(page);
    ASSERT_TRUE(page->LoadPageContent(&doc));
    int composed = 0;
    for (auto* obj : page->GetRenderObjectList()) {
      auto* text = dynamic_cast<CDDrawTextObj*>(obj);
      if (!text) continue;
      for (const auto& ch : text->GetArrayOfTextCharacters()) {
        const char16_t c = ch.GetCharacter();
        if (c < 0xC0) continue;
        EXPECT_NE(ch.GetCharGlyphPath(), nullptr) << "U+" << std::hex << static_cast<int>(c);
        ++composed;
      }
    }
    EXPECT_EQ(composed, 14);  // Bézier naïve rôle élève (2) café façade über señor Étude Île Özil
  }
  source->Release();
}

// The letters of a ligature are drawn with the ligature's glyph where the PDF draws it: the first
// letter holds its outline, the further letters draw nothing, each keeps its own advance. The
// drawing comes back when the text is saved and loaded, and an edit inside the word gives the
// letters their own glyphs back.
TEST(PdfImportProducers, LigaturesAreDrawnWithTheirGlyphsAndGiveWayToEdits) {
  using GlyphweaveLib::CCharacterGlyphRes;
  const std::string path = kFixtures + "/pdftex.pdf";
  auto* source = new CCachePdfPageContent(lw::Utf8ToWide(path).c_str());
  source->AddRef();
  {
    CTextDoc doc;
    auto* page = new CDrawingPage;
    page->SetPageSourceContent(source);
    page->SetPageSourceIndex(0);
    doc.GetRenderPagesArray().AddPage(page);
    ASSERT_TRUE(page->LoadPageContent(&doc));
    CDDrawTextObj* text = nullptr;
    size_t at = std::wstring::npos;
    for (auto* obj : page->GetRenderObjectList())
      if (auto* t = dynamic_cast<CDDrawTextObj*>(obj); t && !text) {
        at = t->GetCharacters(0, -1).find(L"efficient");
        if (at != std::wstring::npos) text = t;
      }
    ASSERT_NE(text, nullptr);
    const size_t f = at + 1;  // "ffi"
    // The ligature "ffi" at f; the "e" and "c" around it are plain.
    auto expectLigature = [f](const CDDrawTextObj& t, const char* when) {
      SCOPED_TRACE(when);
      const auto& chars = t.GetArrayOfTextCharacters();
      const CCharacterGlyphRes* head = chars[f].GetCharGlyphPath();
      ASSERT_NE(head, nullptr);
      ASSERT_TRUE(head->IsLigaturePart());
      EXPECT_EQ(head->GetLigatureLength(), 3);
      EXPECT_EQ(head->GetLigatureIndex(), 0);
      EXPECT_FALSE(chars[f].IsEmptyGlyphPath());
      ASSERT_NE(head->GetPlainGlyph(), nullptr);
      EXPECT_EQ(head->GetReferIncx(), head->GetPlainGlyph()->GetReferIncx());  // the letter's advance
      for (int k = 1; k < 3; ++k) {
        const CCharacterGlyphRes* part = chars[f + k].GetCharGlyphPath();
        ASSERT_NE(part, nullptr);
        EXPECT_TRUE(part->IsLigaturePart());
        EXPECT_EQ(part->GetLigatureHead(), head);
        EXPECT_EQ(part->GetLigatureIndex(), k);
        EXPECT_TRUE(chars[f + k].IsEmptyGlyphPath());
      }
      for (const size_t plain : {f - 1, f + 3}) EXPECT_FALSE(chars[plain].GetCharGlyphPath()->IsLigaturePart());
    };
    expectLigature(*text, "imported");
    EXPECT_EQ(text->GetCharacters(static_cast<int>(at), static_cast<int>(at + 8)), L"efficient");

    // Saved and loaded: the record holds the letters only, the glyphs come back from the font.
    CMemFile file;
    ASSERT_EQ(text->Save(file, CString(L"2000")), 1);
    std::vector<unsigned char> bytes(file.GetBufferPtr(), file.GetBufferPtr() + file.GetLength());
    bytes.push_back(0);
    CMemFile in(bytes.data(), static_cast<UINT>(bytes.size() - 1));
    uint32_t type = 0;
    ASSERT_EQ(in.Read(&type, 4), 4u);
    CDDrawTextObj loaded;
    Vectorloom::CBitmapResObjsList bitmaps;
    ASSERT_EQ(loaded.Load(in, nullptr, bitmaps, CString(L"2000")), 1);
    loaded.BuildAllGlypths(doc.GetEmbedFontResManager(), doc.GetFontGlyphCacheManager());
    loaded.RecalcuLayout(0);
    expectLigature(loaded, "loaded");
    const auto xOf = [](const CDDrawTextObj& t, size_t i) { return t.GetArrayOfTextCharacters()[i].GetCharOffset().x; };
    EXPECT_FLOAT_EQ(xOf(loaded, f + 3), xOf(*text, f + 3));

    // Deleting the middle "f" leaves "eficient": both letters left draw themselves, other ligatures stay.
    int heads = 0;
    for (const auto& c : loaded.GetArrayOfTextCharacters())
      heads += c.GetCharGlyphPath() && c.GetCharGlyphPath()->IsLigaturePart() && c.GetCharGlyphPath()->GetLigatureIndex() == 0;
    ASSERT_TRUE(loaded.DeleteString(static_cast<int>(f + 1), 1));
    const auto& chars = loaded.GetArrayOfTextCharacters();
    for (const size_t i : {f, f + 1}) {
      ASSERT_NE(chars[i].GetCharGlyphPath(), nullptr);
      EXPECT_FALSE(chars[i].GetCharGlyphPath()->IsLigaturePart()) << i;
      EXPECT_FALSE(chars[i].IsEmptyGlyphPath()) << i;
    }
    int left = 0;
    for (const auto& c : chars)
      left += c.GetCharGlyphPath() && c.GetCharGlyphPath()->IsLigaturePart() && c.GetCharGlyphPath()->GetLigatureIndex() == 0;
    EXPECT_GT(heads, 3);
    EXPECT_EQ(left, heads - 1);
  }
  source->Release();
}

// A ligature's parts belong to the font: a second text showing the same letters over the same
// glyphs draws them with the same parts, so a page full of "fi" holds one outline of it. A letter
// of the ligature given another look than the first (size, scale, slant, shift) no longer belongs
// to it: the letters draw themselves again.
TEST(PdfImportProducers, LigaturePartsAreSharedAndGiveWayToALetterOfAnotherLook) {
  using GlyphweaveLib::CCharacterGlyphRes;
  auto* source = new CCachePdfPageContent(lw::Utf8ToWide(kFixtures + "/pdftex.pdf").c_str());
  source->AddRef();
  {
    CTextDoc doc;
    auto* page = new CDrawingPage;
    page->SetPageSourceContent(source);
    page->SetPageSourceIndex(0);
    doc.GetRenderPagesArray().AddPage(page);
    ASSERT_TRUE(page->LoadPageContent(&doc));
    CDDrawTextObj* text = nullptr;
    size_t f = std::wstring::npos;
    for (auto* obj : page->GetRenderObjectList())
      if (auto* t = dynamic_cast<CDDrawTextObj*>(obj); t && !text) {
        const size_t at = t->GetCharacters(0, -1).find(L"efficient");
        if (at != std::wstring::npos) text = t, f = at + 1;
      }
    ASSERT_NE(text, nullptr);
    ASSERT_TRUE(text->GetArrayOfTextCharacters()[f].GetCharGlyphPath()->IsLigaturePart());

    CMemFile file;
    ASSERT_EQ(text->Save(file, CString(L"2000")), 1);
    std::vector<unsigned char> bytes(file.GetBufferPtr(), file.GetBufferPtr() + file.GetLength());
    auto load = [&](CDDrawTextObj& into) {
      CMemFile in(bytes.data(), static_cast<UINT>(bytes.size()));
      uint32_t type = 0;
      ASSERT_EQ(in.Read(&type, 4), 4u);
      Vectorloom::CBitmapResObjsList bitmaps;
      ASSERT_EQ(into.Load(in, nullptr, bitmaps, CString(L"2000")), 1);
      into.BuildAllGlypths(doc.GetEmbedFontResManager(), doc.GetFontGlyphCacheManager());
      into.RecalcuLayout(0);
    };
    CDDrawTextObj loaded;
    load(loaded);
    for (size_t k = 0; k < 3; ++k)
      EXPECT_EQ(loaded.GetArrayOfTextCharacters()[f + k].GetCharGlyphPath(),
                text->GetArrayOfTextCharacters()[f + k].GetCharGlyphPath())
          << k;

    const int second = static_cast<int>(f + 1);
    const struct {
      const char* edit;
      std::function<void(CDDrawTextObj&)> apply;
    } edits[] = {
        {"size", [&](CDDrawTextObj& t) { t.SetSelectionCharsFontSize(second, second, 30.0f); }},
        {"slant", [&](CDDrawTextObj& t) { t.SetSelectionCharsItalic(second, second, true); }},
        {"shift", [&](CDDrawTextObj& t) { t.SetSelectionCharsBaselineShift(second, second, 2.0f); }},
        {"scale", [&](CDDrawTextObj& t) { t.GetArrayOfTextCharacters()[f + 2].SetCharXScale(2.0f); }},
    };
    for (const auto& e : edits) {
      SCOPED_TRACE(e.edit);
      CDDrawTextObj edited;
      load(edited);
      e.apply(edited);
      edited.RecalcuLayout(0);
      const auto& chars = edited.GetArrayOfTextCharacters();
      for (size_t k = 0; k < 3; ++k) {
        ASSERT_NE(chars[f + k].GetCharGlyphPath(), nullptr) << k;
        EXPECT_FALSE(chars[f + k].GetCharGlyphPath()->IsLigaturePart()) << k;
        EXPECT_FALSE(chars[f + k].IsEmptyGlyphPath()) << k;
      }
    }
  }
  source->Release();
}

}  // namespace
