// Opening files, counting pages, page numbers, and damaged input.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <thread>

#include "RecordingParser.h"

using namespace pstest;

TEST(PagesieveOpen, CountsPagesAndParsesEachInRange) {
  lwtest::TempDir dir;
  auto engine = OpenBytes(dir, lwtest::MakeCairoPdf(3));
  ASSERT_EQ(engine->Get_Pages_Counts(), 3);
  for (int page : {1, 3}) {
    RecordingParser rec;
    EXPECT_TRUE(engine->parse_pdf_page(page, &rec)) << page;
    EXPECT_EQ(rec.events.substr(0, 1), "P");
    ASSERT_FALSE(rec.texts.empty());
    EXPECT_EQ(rec.texts[0].str(), u"Hello page " + std::u16string(1, static_cast<char16_t>('0' + page)));
  }
  RecordingParser rec;
  for (int bad : {0, -1, 4}) EXPECT_FALSE(engine->parse_pdf_page(bad, &rec)) << bad;
  EXPECT_FALSE(engine->parse_pdf_page(1, nullptr));
  EXPECT_TRUE(rec.events.empty());
}

TEST(PagesieveOpen, NoFileGivesNoPages) {
  cpdfEngine none(nullptr, false);
  EXPECT_EQ(none.Get_Pages_Counts(), 0);
  lwtest::TempDir dir;
  cpdfEngine missing(lw::Utf8ToWide((dir / "missing.pdf").string()).c_str(), false);
  EXPECT_EQ(missing.Get_Pages_Counts(), 0);
  RecordingParser rec;
  EXPECT_FALSE(missing.parse_pdf_page(1, &rec));
}

TEST(PagesieveOpen, FileNamesOutsideAsciiOpen) {
  lwtest::TempDir dir;
  std::filesystem::path p = dir / "Bl\xC3\xA4tter \xE6\x96\x87.pdf";
  lwtest::WriteFileBytes(p, lwtest::MakeHandWrittenPdf());
  cpdfEngine engine(lw::Utf8ToWide(p.string()).c_str(), false);
  EXPECT_EQ(engine.Get_Pages_Counts(), 1);
}

// Damaged files either fail to open or open and parse (or fail a page) without crashing.
TEST(PagesieveOpen, DamagedFilesFailCleanly) {
  std::vector<uint8_t> good = lwtest::MakeCairoPdf(2);
  std::string garbage_s = "%PDF-1.4\n1 0 obj << /Type /Catalog /Pages 9 0 R >> endobj\ntrailer << /Root 1 0 R >>\n";
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    bool may_open;
  };
  std::vector<Case> cases = {
      {"empty", {}, false},
      {"not a pdf", std::vector<uint8_t>(4096, 0xAB), false},
      {"header only", {'%', 'P', 'D', 'F', '-', '1', '.', '4', '\n'}, false},
      {"catalog without pages", std::vector<uint8_t>(garbage_s.begin(), garbage_s.end()), false},
      {"cut in half", std::vector<uint8_t>(good.begin(), good.begin() + good.size() / 2), true},
      {"cut before xref", std::vector<uint8_t>(good.begin(), good.end() - 200), true},
  };
  std::vector<uint8_t> flipped = good;
  for (size_t i = 400; i < flipped.size(); i += 97) flipped[i] ^= 0x5A;
  cases.push_back({"bytes flipped", flipped, true});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    lwtest::TempDir dir;
    auto engine = OpenBytes(dir, c.bytes);
    int n = engine->Get_Pages_Counts();
    EXPECT_GE(n, 0);
    if (!c.may_open) {
      EXPECT_EQ(n, 0);
    }
    for (int page = 1; page <= std::min(n, 3); ++page) {
      RecordingParser rec;
      bool ok = engine->parse_pdf_page(page, &rec);
      if (ok) {
        EXPECT_EQ(rec.events.substr(0, 1), "P");
      }
      EXPECT_FALSE(rec.text_font_missing);
    }
  }
}

// A parser that throws stops the page; the failure is reported and the engine stays usable.
TEST(PagesieveOpen, ParserExceptionFailsThePage) {
  struct Throwing : RecordingParser {
    void OnFontResource(const PdfFontRecord*) override { throw std::runtime_error("no"); }
  };
  lwtest::TempDir dir;
  auto engine = OpenBytes(dir, lwtest::MakeCairoPdf(1));
  Throwing bad;
  EXPECT_FALSE(engine->parse_pdf_page(1, &bad));
  RecordingParser good;
  EXPECT_TRUE(engine->parse_pdf_page(1, &good));
  EXPECT_FALSE(good.texts.empty());
}

// Two engines on two threads at once give the same records as one engine alone.
TEST(PagesieveOpen, EnginesOnTwoThreads) {
  std::vector<uint8_t> pdf = lwtest::MakeCairoPdf(4);
  lwtest::TempDir dir;
  auto events = [&](const std::string& name) {
    auto engine = OpenBytes(dir, pdf, name);
    std::string all;
    for (int page = 1; page <= engine->Get_Pages_Counts(); ++page) {
      RecordingParser rec;
      engine->parse_pdf_page(page, &rec);
      all += rec.events;
      for (const Text& t : rec.texts)
        for (char16_t c : t.str()) all += static_cast<char>(c);
    }
    return all;
  };
  std::string alone = events("alone.pdf");
  std::string a, b;
  std::thread ta([&] { a = events("a.pdf"); });
  std::thread tb([&] { b = events("b.pdf"); });
  ta.join();
  tb.join();
  EXPECT_EQ(a, alone);
  EXPECT_EQ(b, alone);
  EXPECT_NE(alone.find("Hello page 4"), std::string::npos);
}

// What MuPDF reads past without failing the page is still named as left out: an object the page
// draws that cannot be read (an array nested 20,000 deep), and a font program it cannot load.
// The rest of the page arrives. An unreadable object the page refers to but never draws costs
// nothing and is not named; damage in the page dictionary itself fails the page.
TEST(PagesieveOpen, WhatCannotBeReadIsNamedAsLeftOut) {
  const std::string deep = std::string(20000, '[') + std::string(20000, ']');
  const std::string square = "0 0 1 rg 10 10 50 50 re f\n";
  const std::string text = "BT /F1 12 Tf 72 700 Td (Hello) Tj ET\n";
  const auto font = [](lwtest::PdfBuilder& b, const std::string& program) {
    const int file = b.AddStream("", program);
    const int desc = b.Add("<< /Type /FontDescriptor /FontName /Junk /Flags 32 /FontBBox [0 0 1000 1000] "
                           "/ItalicAngle 0 /Ascent 800 /Descent -200 /CapHeight 700 /StemV 80 /FontFile2 " +
                           std::to_string(file) + " 0 R >>");
    return b.Add("<< /Type /Font /Subtype /TrueType /BaseFont /Junk /FirstChar 32 /LastChar 126 /Widths [" +
                 [] { std::string w; for (int i = 32; i <= 126; ++i) w += "500 "; return w; }() +
                 "] /FontDescriptor " + std::to_string(desc) + " 0 R >>");
  };
  const struct {
    const char* name;
    std::function<std::vector<uint8_t>(lwtest::PdfBuilder&)> make;
    bool parses;
    std::vector<int32_t> omitted;
  } cases[] = {
      {"plain page",
       [&](lwtest::PdfBuilder& b) {
         return b.FinishPages({square + text}, "<< /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> >>");
       },
       true, {}},
      {"resources nested 20,000 deep, an image drawn from them",
       [&](lwtest::PdfBuilder& b) {
         const int img = b.AddStream("/Type /XObject /Subtype /Image /Width 1 /Height 1 /ColorSpace /DeviceGray "
                                     "/BitsPerComponent 8",
                                     std::vector<uint8_t>{7});
         const int res = b.Add("<< /XObject << /Im1 " + std::to_string(img) + " 0 R >> /Deep " + deep + " >>");
         return b.FinishPages({square + "q 9 0 0 9 50 50 cm /Im1 Do Q"}, std::to_string(res) + " 0 R");
       },
       true, {kPdfPartUnreadable}},
      {"an unreadable image the page does not draw",
       [&](lwtest::PdfBuilder& b) {
         const int img = b.Add("<< /Type /XObject /Subtype /Image /Deep " + deep + " >>");
         return b.FinishPages({square}, "<< /XObject << /Im1 " + std::to_string(img) + " 0 R >> >>");
       },
       true, {}},
      {"an image nested 20,000 deep",
       [&](lwtest::PdfBuilder& b) {
         const int img = b.Add("<< /Type /XObject /Subtype /Image /Deep " + deep + " >>");
         return b.FinishPages({square + "q 9 0 0 9 50 50 cm /Im1 Do Q"},
                              "<< /XObject << /Im1 " + std::to_string(img) + " 0 R >> >>");
       },
       true, {kPdfPartUnreadable}},
      {"font program of other bytes",
       [&](lwtest::PdfBuilder& b) {
         return b.FinishPages({square + text},
                              "<< /Font << /F1 " + std::to_string(font(b, std::string(400, 'x'))) + " 0 R >> >>");
       },
       true, {kPdfFontUnreadable}},
      {"page dictionary nested 20,000 deep",
       [&](lwtest::PdfBuilder& b) { return b.FinishPages({square}, "<< /Deep " + deep + " >>"); }, false, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    lwtest::PdfBuilder b;
    const std::vector<uint8_t> pdf = c.make(b);
    lwtest::TempDir dir;
    auto engine = OpenBytes(dir, pdf);
    RecordingParser rec;
    const bool parsed = engine->Get_Pages_Counts() == 1 && engine->parse_pdf_page(1, &rec);
    EXPECT_EQ(parsed, c.parses);
    if (!parsed) continue;
    EXPECT_FALSE(rec.paths.empty()) << "the square arrives";
    std::vector<int32_t> kinds;
    for (const PdfPageOmission& o : engine->last_page_omissions()) kinds.push_back(o.kind);
    EXPECT_EQ(kinds, c.omitted);
    // Read again, the page names the same (MuPDF tells a repeated warning only once in a row).
    RecordingParser again;
    ASSERT_TRUE(engine->parse_pdf_page(1, &again));
    kinds.clear();
    for (const PdfPageOmission& o : engine->last_page_omissions()) kinds.push_back(o.kind);
    EXPECT_EQ(kinds, c.omitted);
  }
}
