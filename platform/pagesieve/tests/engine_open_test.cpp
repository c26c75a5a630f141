// Opening files, counting pages, page numbers, and damaged input.
#include <gtest/gtest.h>

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
