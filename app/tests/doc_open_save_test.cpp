// The document's New, Open and Save as the File menu drives them: the first pages of a file read
// at once and the rest on demand, a file that cannot be read never replaced by a blank document, a
// PDF never overwritten with document bytes, and pages still to be read kept through saves onto
// the file they are read from.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "LeafwrightDoc.h"
#include "LfwTestKit.h"
#include "PdfFixtures.h"
#include "ReplaceKill.h"

using namespace lfwtest;

namespace {

std::vector<std::wstring> g_messages;
std::vector<std::wstring> g_prompts;
std::wstring g_promptAnswer;  // empty: cancel

// A status bar that records what the progress shows.
struct RecordingStatusBar : CQorProgressStatusBar {
  std::vector<std::wstring> shown;
  std::vector<int> positions;
  int hidden = 0;
  void ShowProgress(const CString* message) override { shown.emplace_back(message ? message->GetString() : L""); }
  void HideProgress() override { ++hidden; }
  bool SetProgressPanePos(int paneId, int position) override {
    if (paneId == CLocalIOProgress::kProgressPaneId) positions.push_back(position);
    return true;
  }
  void UpdateWindow() override {}
};

// Page i (0-based) of the generated PDFs is 300 + i points wide and holds i % 4 + 1 filled
// rectangles, so each page can be told from the others after any reordering.
float PageWidth(int i) { return 300.0f + static_cast<float>(i); }
int PageShapes(int i) { return i % 4 + 1; }

Bytes MakeNumberedPdf(int pages) {
  lwtest::PdfBuilder pdf;
  std::vector<std::string> contents, boxes;
  for (int i = 0; i < pages; ++i) {
    std::string content = "0 0 1 rg\n";
    for (int r = 0; r < PageShapes(i); ++r)
      content += std::to_string(20 + 60 * r) + " 40 40 30 re f\n";
    contents.push_back(content);
    boxes.push_back("[0 0 " + std::to_string(static_cast<int>(PageWidth(i))) + " 400]");
  }
  return pdf.FinishPages(contents, "<< >>", boxes);
}

struct DocFileFixture : ::testing::Test {
  void SetUp() override {
    TestHome();
    g_messages.clear();
    g_prompts.clear();
    g_promptAnswer.clear();
    savedHooks = CDocument::Hooks();
    CDocument::Hooks().pfnMessageBox = [](const wchar_t* text, UINT) {
      g_messages.emplace_back(text);
      return IDOK;
    };
    CDocument::Hooks().pfnPromptSaveName = [](CDocument*, CString& name, BOOL) -> BOOL {
      g_prompts.emplace_back(name.GetString());
      if (g_promptAnswer.empty()) return FALSE;
      name = g_promptAnswer.c_str();
      return TRUE;
    };
    CDocument::Hooks().pfnAddToRecentFileList = nullptr;
    savedShell = CLeafwrightDoc::ShellHooks();
    CLeafwrightDoc::ShellHooks() = {};
    CLeafwrightDoc::ShellHooks().pStatusBar = &bar;
    doc = std::make_unique<CLeafwrightDoc>();
    doc->m_bAutoDelete = FALSE;
  }
  void TearDown() override {
    doc.reset();
    CDocument::Hooks() = savedHooks;
    CLeafwrightDoc::ShellHooks() = savedShell;
  }

  fs::path WriteFile(const std::string& name, const Bytes& bytes) {
    const fs::path p = dir / name;
    lwtest::WriteFileBytes(p, bytes);
    return p;
  }
  // Opens as the single-document template does: the open, then the name.
  void Open(const fs::path& p) {
    ASSERT_TRUE(doc->OnOpenDocument(W(p).c_str()));
    doc->SetPathName(W(p).c_str(), FALSE);
  }
  CDrawingPage* Page(int i) { return doc->GetDrawingPage(i); }
  int LazyCount() {
    int n = 0;
    for (int i = 0; i < doc->GetPagesCount(); ++i) n += Page(i)->IsPageContentLoaded() ? 0 : 1;
    return n;
  }
  // Every page read, then checked against the generated page it must be.
  void ExpectPages(const std::vector<int>& order, const char* when) {
    ASSERT_EQ(doc->GetPagesCount(), static_cast<int>(order.size())) << when;
    for (int i = 0; i < doc->GetPagesCount(); ++i) {
      ASSERT_TRUE(Page(i)->LoadPageContent(doc.get())) << when << ", page " << i;
      EXPECT_FLOAT_EQ(Page(i)->GetLogWidth(), PageWidth(order[i])) << when << ", page " << i;
      EXPECT_EQ(Page(i)->GetRenderObjectList().GetCount(), PageShapes(order[i])) << when << ", page " << i;
    }
  }

  lwtest::TempDir dir;
  RecordingStatusBar bar;
  std::unique_ptr<CLeafwrightDoc> doc;
  CDocumentHooks savedHooks;
  CLeafwrightDoc::CShellHooks savedShell;
};

std::vector<int> Identity(int n) {
  std::vector<int> v;
  for (int i = 0; i < n; ++i) v.push_back(i);
  return v;
}

// ---------------------------------------------------------------------------------------------
// Open

TEST_F(DocFileFixture, PdfOpensWithTheFirst32PagesReadAndTheRestBoundByIndex) {
  struct Case {
    int pages;
    const char* name;
    int lazy;
  } cases[] = {{40, "forty.pdf", 8}, {32, "THIRTYTWO.PDF", 0}, {3, "three.Pdf", 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    bar = {};
    Open(WriteFile(c.name, MakeNumberedPdf(c.pages)));
    ASSERT_EQ(doc->GetPagesCount(), c.pages);
    EXPECT_EQ(LazyCount(), c.lazy);
    for (int i = 0; i < c.pages; ++i) {
      const CDrawingPage* page = Page(i);
      EXPECT_EQ(page->GetPageLogUnit(), Vectorloom::UNIT_POINT) << i;
      if (i < CLeafwrightDoc::kLoadedAtOpen) {
        EXPECT_TRUE(page->IsPageContentLoaded()) << i;
        EXPECT_EQ(page->GetPageContentSource(), nullptr) << i;
        EXPECT_FLOAT_EQ(page->GetLogWidth(), PageWidth(i)) << i;
      } else {
        EXPECT_FALSE(page->IsPageContentLoaded()) << i;
        EXPECT_NE(page->GetPageContentSource(), nullptr) << i;
        EXPECT_EQ(page->GetPageSourceIndex(), i);
        EXPECT_FLOAT_EQ(page->GetLogWidth(), PageWidth(31)) << "the size of the last page read";
      }
    }
    EXPECT_EQ(doc->IsAllContentLoaded(), c.lazy == 0);
    // The document is as wide as its widest page.
    EXPECT_FLOAT_EQ(doc->GetDocLogWidth(), PageWidth(std::min(c.pages, 32) - 1));
    EXPECT_EQ(doc->GetPathName(), W(dir / c.name));
    ASSERT_EQ(bar.shown.size(), 1u);
    EXPECT_EQ(bar.shown[0], L"Loading from file '" + W(fs::path(c.name)) + L"'...");
    EXPECT_EQ(bar.hidden, 1);
    ASSERT_FALSE(bar.positions.empty());
    EXPECT_TRUE(std::is_sorted(bar.positions.begin(), bar.positions.end()));
    EXPECT_EQ(bar.positions.back(), c.lazy ? 100 : 80) << "pages read: 80%, pages bound: 20%";
  }
  EXPECT_TRUE(g_messages.empty());
}

TEST_F(DocFileFixture, OpenOfAPathLongerThan264CharactersReadsThatFile) {
  fs::path deep = dir.path();
  while (deep.string().size() < 300) deep /= std::string(40, 'd');
  fs::create_directories(deep);
  const fs::path p = deep / "long.pdf";
  lwtest::WriteFileBytes(p, MakeNumberedPdf(2));
  Open(p);
  EXPECT_EQ(doc->GetPagesCount(), 2);
  EXPECT_EQ(LazyCount(), 0);
  EXPECT_TRUE(g_messages.empty());
}

TEST_F(DocFileFixture, AFileThatCannotBeReadIsReportedWithItsReasonAndLeavesOneUntitledBlankPage) {
  // A document file of three pages whose second page block does not unpack: the open is refused
  // and the message names the page.
  Bytes damagedPage;
  {
    CLeafwrightDoc three;
    for (int i = 0; i < 3; ++i) {
      auto* page = new CPageBusiPage;
      page->SetLogWidth(PageWidth(i));
      page->SetLogHeight(400);
      page->SetPageLogUnit(Vectorloom::UNIT_POINT);
      page->SetPageContentLoaded(1);
      page->AddShapeObject(MakeShape(10, 10, 50, 40, Vectorloom::RENDER_KIND_SOLID));
      three.GetRenderPagesArray().AddPage(page);
    }
    damagedPage = WriteToBytes(three);
    const uint32_t entry2 = Le32(damagedPage, kLfwSectionHeadersPos + 4) + 4 + kLfwPageEntrySize;
    damagedPage[Le32(damagedPage, entry2) + 4] ^= 0x55;
    damagedPage[Le32(damagedPage, entry2) + 5] ^= 0x55;
  }
  const Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13};
  struct Case {
    const char* name;
    Bytes bytes;
    const wchar_t* reason;  // the second line of the message (its start, for the PDF library's words)
  } cases[] = {
      {"empty.pdf", Bytes{}, L"The file is empty."},
      {"renamed.pdf", png, L"The file is not a PDF document."},
      {"damaged.pdf", Bytes{'%', 'P', 'D', 'F', '-', '1', '.', '4', '\n', 'x'}, L"The PDF document "},
      {"damaged.lfw", Bytes{'Q', 'L', 'F', 'W', '2', '0', '0', '0'}, L"The file is too short to be a document file."},
      {"page two.lfw", damagedPage, L"Page 2 could not be read."},
      {"noextension", MakeNumberedPdf(1), L"Leafwright opens PDF files (.pdf) and its own documents (.lfw, .lfd)."},
      {"picture.png", MakeNumberedPdf(1), L"Leafwright opens PDF files (.pdf) and its own documents (.lfw, .lfd)."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    g_messages.clear();
    g_prompts.clear();
    const fs::path p = WriteFile(c.name, c.bytes);
    Open(p);
    ASSERT_EQ(g_messages.size(), 1u);
    const std::wstring first = L"Could not open \"" + W(p) + L"\".\n";
    EXPECT_EQ(g_messages[0].rfind(first + c.reason, 0), 0u) << lw::WideToUtf8(g_messages[0]);
    ASSERT_EQ(doc->GetPagesCount(), 1);
    EXPECT_TRUE(Page(0)->IsPageContentLoaded());
    EXPECT_FLOAT_EQ(Page(0)->GetLogWidth(), 8.5f);
    EXPECT_FLOAT_EQ(Page(0)->GetLogHeight(), 11.0f);
    EXPECT_EQ(Page(0)->GetPageLogUnit(), Vectorloom::UNIT_INCH);
    EXPECT_TRUE(doc->GetPathName().IsEmpty()) << "the failed file's name is not the document's";
    // Save asks for a name (cancelled here) and the unreadable file keeps its bytes.
    EXPECT_FALSE(doc->DoFileSave());
    EXPECT_EQ(g_prompts.size(), 1u);
    EXPECT_EQ(lwtest::ReadFileBytes(p), c.bytes);
  }
}

TEST_F(DocFileFixture, AFileThatCannotBeOpenedIsReportedAndLeavesTheOpenDocumentAlone) {
  const fs::path pdf = WriteFile("kept.pdf", MakeNumberedPdf(3));
  Open(pdf);
  fs::create_directories(dir / "folder.pdf");
  for (const char* name : {"missing.lfw", "missing.pdf", "folder.pdf"}) {
    SCOPED_TRACE(name);
    g_messages.clear();
    EXPECT_FALSE(doc->OnOpenDocument(W(dir / name).c_str()));
    ASSERT_EQ(g_messages.size(), 1u);
    EXPECT_EQ(g_messages[0].rfind(L"Could not open \"" + W(dir / name) + L"\".", 0), 0u) << "the framework's report";
    EXPECT_EQ(doc->GetPagesCount(), 3) << "the open document keeps its pages";
    EXPECT_EQ(doc->GetPathName(), W(pdf));
    EXPECT_FALSE(fs::exists(dir / name) && fs::is_regular_file(dir / name));
  }
}

// ---------------------------------------------------------------------------------------------
// Save

TEST_F(DocFileFixture, SaveOfADocumentReadFromAPdfAsksForADocumentNameAndLeavesThePdfAlone) {
  const Bytes pdfBytes = MakeNumberedPdf(40);
  const fs::path pdf = WriteFile("report.pdf", pdfBytes);
  Open(pdf);
  // Cancelled: nothing written.
  EXPECT_FALSE(doc->DoFileSave());
  ASSERT_EQ(g_prompts.size(), 1u);
  EXPECT_EQ(g_prompts[0], W(dir / "report.lfw"));
  EXPECT_EQ(lwtest::ReadFileBytes(pdf), pdfBytes);
  EXPECT_FALSE(fs::exists(dir / "report.lfw"));

  // Answered: the document file is written, the PDF untouched, and the pages still to be read
  // now come from the new file at their positions.
  g_promptAnswer = W(dir / "report.lfw");
  bar = {};
  ASSERT_TRUE(doc->DoFileSave());
  EXPECT_EQ(lwtest::ReadFileBytes(pdf), pdfBytes);
  EXPECT_EQ(doc->GetPathName(), W(dir / "report.lfw"));
  EXPECT_EQ(bar.shown, std::vector<std::wstring>{L"Saving to file \"report.lfw\""});
  EXPECT_TRUE(std::is_sorted(bar.positions.begin(), bar.positions.end()));
  EXPECT_EQ(bar.hidden, 1);
  ASSERT_EQ(LazyCount(), 8);
  for (int i = 32; i < 40; ++i) {
    EXPECT_NE(dynamic_cast<CCacheLfwPageContent*>(Page(i)->GetPageContentSource()), nullptr) << i;
    EXPECT_EQ(Page(i)->GetPageSourceIndex(), i);
  }
  // The second Save writes the document file without asking.
  g_prompts.clear();
  ASSERT_TRUE(doc->DoFileSave());
  EXPECT_TRUE(g_prompts.empty());

  const Bytes saved = lwtest::ReadFileBytes(dir / "report.lfw");
  ASSERT_GE(saved.size(), 60u);
  EXPECT_EQ(std::string(saved.begin(), saved.begin() + 12), "QLFW20002010");
  // The four sections follow the headers one after another and end with the file; the page
  // index counts the 40 pages and the empty clip index is one word 0.
  const char* tags[] = {"Page", "Dibs", "Font", "avst"};
  uint64_t expected = 60;
  for (int s = 0; s < 4; ++s) {
    const size_t at = 12 + 12 * s;
    EXPECT_EQ(std::string(saved.begin() + at, saved.begin() + at + 4), tags[s]);
    EXPECT_EQ(Le32(saved, at + 4), expected) << tags[s];
    expected += Le32(saved, at + 8);
  }
  EXPECT_EQ(expected, saved.size());
  EXPECT_EQ(Le32(saved, 60), 40u);
  EXPECT_EQ(Le32(saved, 56), 4u) << "clip section length";
  EXPECT_EQ(Le32(saved, Le32(saved, 52)), 0u) << "no clips";

  // Reopened, it gives the same pages.
  auto again = std::make_unique<CLeafwrightDoc>();
  again->m_bAutoDelete = FALSE;
  doc.swap(again);
  Open(dir / "report.lfw");
  EXPECT_EQ(LazyCount(), 8);
  ExpectPages(Identity(40), "reopened");
}

TEST_F(DocFileFixture, SaveOntoItsOwnFileWithPagesStillToBeReadAndReorderedLosesNothing) {
  // Through its own name and through a link to it: the link stays a link.
  for (const bool viaLink : {false, true}) {
    SCOPED_TRACE(viaLink ? "through a link" : "by its name");
    g_promptAnswer = W(dir / "book.lfw");
    Open(WriteFile("book.pdf", MakeNumberedPdf(40)));
    ASSERT_TRUE(doc->DoFileSave());
    fs::path path = dir / "book.lfw";
    if (viaLink) {
      fs::remove(dir / "link.lfw");
      fs::create_symlink(dir / "book.lfw", dir / "link.lfw");
      path = dir / "link.lfw";
    }
    doc = std::make_unique<CLeafwrightDoc>();
    doc->m_bAutoDelete = FALSE;
    Open(path);
    ASSERT_EQ(LazyCount(), 8);
    // Unread pages move forward, read ones move back.
    std::vector<int> order = Identity(40);
    auto& pages = doc->GetRenderPagesArray();
    const std::pair<int, int> swaps[] = {{0, 39}, {5, 33}, {20, 36}, {38, 37}};
    for (auto [a, b] : swaps) {
      ASSERT_TRUE(pages.SwapPages(a, b));
      std::swap(order[a], order[b]);
    }
    ASSERT_TRUE(doc->DoFileSave());
    EXPECT_EQ(fs::is_symlink(path), viaLink);
    ExpectPages(order, "after the save, from the rebound file");
    doc = std::make_unique<CLeafwrightDoc>();
    doc->m_bAutoDelete = FALSE;
    Open(path);
    ExpectPages(order, "reopened");
    doc = std::make_unique<CLeafwrightDoc>();
    doc->m_bAutoDelete = FALSE;
  }
}

TEST_F(DocFileFixture, ASaveStoppedHalfwayLeavesThePreviousFileWhole) {
  g_promptAnswer = W(dir / "keep.lfw");
  Open(WriteFile("keep.pdf", MakeNumberedPdf(40)));
  ASSERT_TRUE(doc->DoFileSave());
  const Bytes before = lwtest::ReadFileBytes(dir / "keep.lfw");
  for (lw::ReplaceStep step : {lw::ReplaceStep::kCreated, lw::ReplaceStep::kWritten, lw::ReplaceStep::kSynced}) {
    EXPECT_TRUE(lwtest::SaveKilledAt(step, [&] {
      doc->GetRenderPagesArray().SwapPages(0, 1);
      doc->SetModifiedFlag();
      doc->DoFileSave();
    }));
    EXPECT_EQ(lwtest::ReadFileBytes(dir / "keep.lfw"), before) << static_cast<int>(step);
  }
}

TEST_F(DocFileFixture, AFailedSaveKeepsTheNameThePagesAndWhatWasOnDisk) {
  Open(WriteFile("kept.pdf", MakeNumberedPdf(40)));
  std::vector<IPageContentSource*> before;
  for (int i = 0; i < 40; ++i) before.push_back(Page(i)->GetPageContentSource());
  // A folder that does not exist, and a folder where a file of that name is a folder.
  fs::create_directories(dir / "taken.lfw");
  for (const fs::path& target : {dir / "no" / "such" / "folder.lfw", dir / "taken.lfw"}) {
    SCOPED_TRACE(target.string());
    g_messages.clear();
    g_promptAnswer = W(target);
    EXPECT_FALSE(doc->DoFileSave());
    EXPECT_EQ(g_messages.size(), 1u) << "the failure is reported";
    EXPECT_EQ(doc->GetPathName(), W(dir / "kept.pdf"));
    for (int i = 0; i < 40; ++i) EXPECT_EQ(Page(i)->GetPageContentSource(), before[i]) << i;
  }
  EXPECT_TRUE(fs::is_directory(dir / "taken.lfw")) << "what was there stays";
  EXPECT_FALSE(fs::exists(dir / "no"));
  ExpectPages(Identity(40), "after the failed saves");
}

TEST_F(DocFileFixture, SaveAsProposesTheDocumentExtension) {
  struct Case {
    const wchar_t* path;
    const wchar_t* title;
    const wchar_t* proposed;
  } cases[] = {
      {L"/data/a.pdf", L"", L"/data/a.lfw"},
      {L"/data/a.LFW", L"", L"/data/a.LFW"},
      {L"/data/a", L"", L"/data/a.lfw"},
      {L"/data.old/a", L"", L"/data.old/a.lfw"},
      {L"", L"Untitled", L"Untitled.lfw"},
  };
  for (const Case& c : cases) {
    doc->m_strPathName = c.path;
    doc->m_strTitle = c.title;
    EXPECT_EQ(doc->ProposeSaveName(), c.proposed) << lw::WideToUtf8(c.path);
  }
}

// ---------------------------------------------------------------------------------------------
// New

TEST_F(DocFileFixture, NewIsOneBlankLetterPageAtStartAndAsksLater) {
  static bool startup = true;
  static bool answer = false;
  static int asked = 0;
  CLeafwrightDoc::ShellHooks().pfnIsStartupNew = [] { return startup; };
  CLeafwrightDoc::ShellHooks().pfnPromptNewPages = [](float& w, float& h, int& unit, int& count) {
    ++asked;
    w = 210, h = 297, unit = Vectorloom::UNIT_MILLIMETER, count = 3;
    return answer;
  };
  ASSERT_TRUE(doc->OnNewDocument());
  EXPECT_EQ(asked, 0);
  ASSERT_EQ(doc->GetPagesCount(), 1);
  EXPECT_FLOAT_EQ(Page(0)->GetLogWidth(), 8.5f);
  EXPECT_FLOAT_EQ(Page(0)->GetLogHeight(), 11.0f);
  EXPECT_EQ(Page(0)->GetPageLogUnit(), Vectorloom::UNIT_INCH);
  EXPECT_TRUE(Page(0)->IsPageContentLoaded());

  startup = false;
  EXPECT_FALSE(doc->OnNewDocument()) << "cancelled";
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(doc->GetPagesCount(), 1) << "a cancelled New leaves the document";
  answer = true;
  ASSERT_TRUE(doc->OnNewDocument());
  ASSERT_EQ(doc->GetPagesCount(), 3);
  EXPECT_FLOAT_EQ(Page(2)->GetLogWidth(), 210.0f);
  EXPECT_EQ(Page(2)->GetPageLogUnit(), Vectorloom::UNIT_MILLIMETER);
}

}  // namespace

// What the readers left out while a file opened is told once, in one message, after the open;
// a later open starts a new list.
TEST_F(DocFileFixture, WhatAnOpenLeftOutIsToldOnceAfterIt) {
  lwtest::PdfBuilder b;
  const int mask = b.AddStream("/Type /XObject /Subtype /Image /Width 60000 /Height 60000 /ColorSpace /DeviceGray "
                               "/BitsPerComponent 8",
                               std::vector<uint8_t>(4, 0));
  const int img = b.AddStream("/Type /XObject /Subtype /Image /Width 1 /Height 1 /ColorSpace /DeviceRGB "
                              "/BitsPerComponent 8 /SMask " + std::to_string(mask) + " 0 R",
                              std::vector<uint8_t>{1, 2, 3});
  const auto pdf = b.FinishPages({"0 0 1 rg 5 5 20 20 re f", "q 9 0 0 9 50 50 cm /Im1 Do Q"},
                                 "<< /XObject << /Im1 " + std::to_string(img) + " 0 R >> >>");
  Open(WriteFile("masked.pdf", pdf));
  ASSERT_EQ(doc->GetPagesCount(), 2);
  doc->ReportDroppedItems();
  ASSERT_EQ(g_messages.size(), 1u);
  EXPECT_EQ(g_messages[0], L"Some content of this document could not be shown and was left out:\n"
                           L"Page 2: an image of 60,000 x 60,000 pixels was left out");
  doc->ReportDroppedItems();
  EXPECT_EQ(g_messages.size(), 1u) << "told once";
  Open(WriteFile("plain.pdf", MakeNumberedPdf(2)));
  doc->ReportDroppedItems();
  EXPECT_EQ(g_messages.size(), 1u);
}
