// Extract, Save As PDF and Save As Page-Flip Publication with fake dialogs, a fake program start
// and fake exporters: the file names chosen, what each failure tells the user, and that the
// exporters run inside a pushed range of 1.0.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <httplib.h>

#include <QorProgress.h>
#include <gdiplus/gdiplus.h>
#include <lwstr.h>
#include <vectorloom/BitmapRes.h>
#include <vectorloom/ShapeObj.h>

#include "DocTestKit.h"
#include "LeafwrightDoc.h"
#include "PageBusiPage.h"
#include "PublishCommands.h"
#include "SmallDisk.h"
#include "TestSupport.h"

namespace fs = std::filesystem;
using namespace doctest;

namespace {

struct Recorder {
  std::vector<std::pair<std::wstring, UINT>> messages;
  int answer = IDYES;
  std::vector<int> pages;
  bool cancelExtract = false;
  std::wstring pdfProposed, pdfAnswer, folderAnswer;
  std::vector<std::wstring> started, opened, exported, previewed;
  bool startWorks = true, exportWorks = true;
  std::vector<float> ranges;  // the innermost range seen by each exporter call
};
Recorder* g_rec = nullptr;

struct PublishScope {
  Recorder rec;
  CDocumentHooks savedDoc = CDocument::Hooks();
  CPublishHooks savedPublish = PublishHooks();
  PublishScope() {
    g_rec = &rec;
    CDocument::Hooks().pfnMessageBox = [](const wchar_t* text, UINT type) {
      g_rec->messages.emplace_back(text, type);
      return g_rec->answer;
    };
    CPublishHooks& h = PublishHooks();
    h.pfnPromptExtractPages = [](CLeafwrightDoc*, std::vector<int>& pages) {
      pages = g_rec->pages;
      return !g_rec->cancelExtract;
    };
    h.pfnPromptPdfPath = [](const CString& name, CString& path) {
      g_rec->pdfProposed = name.GetString();
      path = g_rec->pdfAnswer.c_str();
      return !g_rec->pdfAnswer.empty();
    };
    h.pfnPromptFolder = [](CString& folder) {
      folder = g_rec->folderAnswer.c_str();
      return !g_rec->folderAnswer.empty();
    };
    h.pfnStartInstance = [](const CString& file) {
      g_rec->started.emplace_back(file.GetString());
      return g_rec->startWorks;
    };
    h.pfnOpenFile = [](const CString& file) { g_rec->opened.emplace_back(file.GetString()); };
    h.pfnPreviewFolder = [](const CString& folder) {
      g_rec->previewed.emplace_back(folder.GetString());
      return CString(L"http://127.0.0.1:8/index.html");
    };
    h.pfnCurrentDirectory = [] { return CString(L"/nonexistent-cwd"); };
    auto fakeExport = [](Quirebook::CPublicationDoc*, const wchar_t* where, CQorCommonProgress* progress) {
      g_rec->exported.emplace_back(where);
      g_rec->ranges.push_back(progress && progress->m_ranges.size() == 2 ? progress->m_ranges.back() : -1.0f);
      return g_rec->exportWorks;
    };
    h.pfnSavePdf = fakeExport;
    h.pfnSaveFlipBook = fakeExport;
  }
  ~PublishScope() {
    CDocument::Hooks() = savedDoc;
    PublishHooks() = savedPublish;
    g_rec = nullptr;
  }
};

void AddPages(CLeafwrightDoc& doc, int n) {
  for (int i = 0; i < n; ++i) {
    auto* p = new CPageBusiPage;
    p->SetLogWidth(static_cast<float>(100 + i));
    p->SetPageContentLoaded(1);
    doc.GetRenderPagesArray().AddPage(p);
  }
}

TEST(PublishCommands, PdfNameProposed) {
  const struct {
    const wchar_t* title;
    const wchar_t* name;
  } cases[] = {{L"Brochure", L"Brochure.pdf"}, {L"", L"untitled.pdf"}, {L"report.lfw", L"report.pdf"},
               {L"C:\\work\\Brochure", L"Brochure.pdf"}, {L"v1.2 notes", L"v1.2 notes.pdf"}};
  for (const auto& c : cases) {
    AppStateScope app;
    CLeafwrightDoc doc;
    doc.SetTitle(c.title);
    EXPECT_EQ(std::wstring(doc.ProposePdfName().GetString()), c.name) << c.title;
  }
}

TEST(PublishCommands, ExportersRunInARangeOfOneAndFailuresAreTold) {
  const struct {
    void (CLeafwrightDoc::*command)();
    bool works;
    int answer;
    const wchar_t* messageStart;  // null: no message
    UINT type;
    bool opensIndex;
  } cases[] = {
      {&CLeafwrightDoc::OnSaveAsPdf, true, IDYES, nullptr, 0, false},
      {&CLeafwrightDoc::OnSaveAsPdf, false, IDYES, L"Failed to create the PDF file at\r\n/out/Brochure.pdf.\r\nThe folder it goes into does not exist.",
       MB_OK | MB_ICONERROR, false},
      {&CLeafwrightDoc::OnSaveAsPageFlip, true, IDYES,
       L"Your publication has been created at\r\n/out/book.\r\nWould you like to preview it?",
       MB_YESNO | MB_ICONQUESTION, true},
      {&CLeafwrightDoc::OnSaveAsPageFlip, true, IDNO,
       L"Your publication has been created at\r\n/out/book.\r\nWould you like to preview it?",
       MB_YESNO | MB_ICONQUESTION, false},
      {&CLeafwrightDoc::OnSaveAsPageFlip, false, IDYES, L"Failed to create the page-flipping publication at\r\n/out/book.\r\nThe folder it goes into does not exist.",
       MB_OK | MB_ICONERROR, false},
  };
  for (const auto& c : cases) {
    AppStateScope app;
    PublishScope scope;
    CLeafwrightDoc doc;
    AddPages(doc, 2);
    doc.SetModifiedFlag(FALSE);
    scope.rec.exportWorks = c.works;
    scope.rec.answer = c.answer;
    scope.rec.pdfAnswer = L"/out/Brochure.pdf";
    scope.rec.folderAnswer = L"/out/book";
    (doc.*c.command)();
    ASSERT_EQ(scope.rec.ranges.size(), 1u);
    EXPECT_EQ(scope.rec.ranges[0], 1.0f);
    if (c.messageStart) {
      ASSERT_EQ(scope.rec.messages.size(), 1u);
      EXPECT_EQ(scope.rec.messages[0].first, c.messageStart);
      EXPECT_EQ(scope.rec.messages[0].second, c.type);
    } else {
      EXPECT_TRUE(scope.rec.messages.empty());
    }
    // The preview is the package served over loopback, never index.html by its path.
    EXPECT_EQ(scope.rec.previewed, c.opensIndex ? std::vector<std::wstring>{L"/out/book"} : std::vector<std::wstring>{});
    EXPECT_EQ(scope.rec.opened,
              c.opensIndex ? std::vector<std::wstring>{L"http://127.0.0.1:8/index.html"} : std::vector<std::wstring>{});
    EXPECT_FALSE(doc.IsModified());
  }
  // Cancelled dialogs export nothing.
  AppStateScope app;
  PublishScope scope;
  CLeafwrightDoc doc;
  AddPages(doc, 1);
  doc.OnSaveAsPdf();
  doc.OnSaveAsPageFlip();
  EXPECT_TRUE(scope.rec.exported.empty());
}

TEST(PublishCommands, ExtractWritesTheFirstFreeNameAndStartsTheProgramOnIt) {
  lwtest::TempDir dir;
  AppStateScope app;
  PublishScope scope;
  CLeafwrightDoc doc;
  AddPages(doc, 4);
  const fs::path docPath = dir / "report.lfw";
  doc.SetPathName(lw::Utf8ToWide(docPath.string()).c_str(), FALSE);
  std::ofstream(dir / "Pages From report.lfd") << "taken";
  scope.rec.pages = {1, 2};
  doc.OnExtractPages();
  const fs::path expected = dir / "Pages From report1.lfd";
  ASSERT_EQ(scope.rec.started.size(), 1u);
  EXPECT_EQ(lw::WideToUtf8(scope.rec.started[0]), expected.string());
  EXPECT_TRUE(scope.rec.messages.empty());
  std::ifstream in(expected, std::ios::binary);
  std::string head(12, '\0');
  in.read(head.data(), 12);
  EXPECT_EQ(head, "EPDF20002010");
  std::ifstream taken(dir / "Pages From report.lfd");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(taken), {}), "taken");
}

TEST(PublishCommands, ExtractFailuresAreToldAndLeaveNoFile) {
  lwtest::TempDir dir;
  struct Case {
    const char* what;
    std::vector<int> pages;
    std::string docFolder;  // relative to dir; a folder that does not exist cannot take the file
    bool startWorks;
    bool writes;
  } cases[] = {
      {"no pages chosen", {}, ".", true, false},
      {"a page that is not there", {9}, ".", true, false},
      {"the folder is missing", {0}, "missing", true, false},
      {"the program cannot be started", {0}, ".", false, true},
  };
  for (const Case& c : cases) {
    AppStateScope app;
    PublishScope scope;
    CLeafwrightDoc doc;
    AddPages(doc, 2);
    doc.SetPathName(lw::Utf8ToWide((dir / c.docFolder / "report.lfw").string()).c_str(), FALSE);
    scope.rec.pages = c.pages;
    scope.rec.startWorks = c.startWorks;
    doc.OnExtractPages();
    EXPECT_EQ(scope.rec.messages.size(), 1u) << c.what;
    if (!scope.rec.messages.empty()) EXPECT_EQ(scope.rec.messages[0].second, static_cast<UINT>(MB_OK | MB_ICONERROR)) << c.what;
    EXPECT_EQ(fs::exists(dir / "Pages From report.lfd"), c.writes) << c.what;
    EXPECT_EQ(scope.rec.started.size(), c.writes ? 1u : 0u) << c.what;
    fs::remove(dir / "Pages From report.lfd");
  }
}

// Preview serves the written package on the loopback address and opens the browser there; the
// server answers until the previews are stopped (as the program does when it ends). A folder that
// cannot be served is told.
TEST(PublishCommands, PreviewServesThePackageOverLoopback) {
  lwtest::TempDir dir;
  AppStateScope app;
  PublishScope scope;
  PublishHooks().pfnPreviewFolder = nullptr;
  PublishHooks().pfnSaveFlipBook = [](Quirebook::CPublicationDoc*, const wchar_t* where, CQorCommonProgress*) {
    std::ofstream(fs::path(lw::WideToUtf8(where)) / "index.html") << "<p>the book</p>";
    return true;
  };
  CLeafwrightDoc doc;
  AddPages(doc, 1);
  scope.rec.folderAnswer = lw::Utf8ToWide(dir.path().string());
  doc.OnSaveAsPageFlip();
  ASSERT_EQ(scope.rec.messages.size(), 1u);
  ASSERT_EQ(scope.rec.opened.size(), 1u);
  const std::string address = lw::WideToUtf8(scope.rec.opened[0]);
  ASSERT_EQ(address.rfind("http://127.0.0.1:", 0), 0u) << address;
  ASSERT_EQ(address.substr(address.size() - 11), "/index.html");
  const int port = std::stoi(address.substr(17));
  {
    httplib::Client client("127.0.0.1", port);
    const auto res = client.Get("/index.html");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(res->body, "<p>the book</p>");
  }
  StopPreviews();
  {
    httplib::Client client("127.0.0.1", port);
    client.set_connection_timeout(1);
    EXPECT_FALSE(client.Get("/index.html"));
  }

  scope.rec.messages.clear();
  scope.rec.opened.clear();
  scope.rec.folderAnswer = L"/nonexistent-out/book";
  doc.OnSaveAsPageFlip();
  ASSERT_EQ(scope.rec.messages.size(), 2u);
  EXPECT_EQ(scope.rec.messages[1].first, L"The publication at \r\n/nonexistent-out/book\r\ncould not be served for its preview.");
  EXPECT_EQ(scope.rec.messages[1].second, static_cast<UINT>(MB_OK | MB_ICONERROR));
  EXPECT_TRUE(scope.rec.opened.empty());
}

// Without the player the real export is not started: the user is told what is missing and where
// it was looked for, and the folder stays empty.
TEST(PublishCommands, AMissingPlayerIsToldAndNothingIsWritten) {
  lwtest::TempDir dir;
  AppStateScope app;
  PublishScope scope;
  PublishHooks().pfnSaveFlipBook = nullptr;
  setenv("LEAFWRIGHT_RUFFLE_DIR", "/nonexistent/player", 1);
  CLeafwrightDoc doc;
  AddPages(doc, 1);
  scope.rec.folderAnswer = lw::Utf8ToWide(dir.path().string());
  doc.OnSaveAsPageFlip();
  unsetenv("LEAFWRIGHT_RUFFLE_DIR");
  ASSERT_EQ(scope.rec.messages.size(), 1u);
  const std::wstring& told = scope.rec.messages[0].first;
  EXPECT_EQ(told.rfind(L"The flip-book player (Ruffle) is missing", 0), 0u) << lw::WideToUtf8(told);
  EXPECT_NE(told.find(L"/nonexistent/player"), std::wstring::npos);
  EXPECT_EQ(scope.rec.messages[0].second, static_cast<UINT>(MB_OK | MB_ICONERROR));
  EXPECT_TRUE(fs::is_empty(dir.path()));
}

}  // namespace

// An export that cannot be written says why: its folder is missing or read-only, the file there
// cannot be replaced, or the disk lacks the room (told before a PDF export begins).
TEST(PublishCommands, FailuresSayWhyTheFileCannotBeWritten) {
  lwtest::TempDir dir;
  const auto W = [](const std::filesystem::path& p) { return CString(lw::Utf8ToWide(p.string()).c_str()); };
  std::filesystem::create_directories(dir / "locked");
  lwtest::WriteFileBytes(dir / "kept.pdf", {1});
  std::filesystem::permissions(dir / "kept.pdf", std::filesystem::perms::owner_read);
  std::filesystem::permissions(dir / "locked", std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  const bool root = ::geteuid() == 0;  // root writes anywhere
  EXPECT_EQ(std::wstring(WhyNotWritten(W(dir / "free.pdf"), 0).GetString()), L"");
  EXPECT_EQ(std::wstring(WhyNotWritten(W(dir / "no" / "such.pdf"), 0).GetString()),
            L"The folder it goes into does not exist.");
  if (!root) {
    EXPECT_EQ(std::wstring(WhyNotWritten(W(dir / "locked" / "x.pdf"), 0).GetString()),
              L"The folder it goes into cannot be written to.");
    EXPECT_EQ(std::wstring(WhyNotWritten(W(dir / "kept.pdf"), 0).GetString()), L"The file there cannot be replaced.");
  }
  EXPECT_EQ(std::wstring(WhyNotWritten(W(dir / "huge.pdf"), uint64_t{1} << 62).GetString()), kDiskFull);
  std::filesystem::permissions(dir / "locked", std::filesystem::perms::owner_all);

  // A PDF export onto a disk with the room is not refused.
  AppStateScope app;
  PublishScope scope;
  CLeafwrightDoc doc;
  AddPages(doc, 2);
  scope.rec.pdfAnswer = std::wstring(W(dir / "out.pdf").GetString());
  doc.OnSaveAsPdf();
  EXPECT_EQ(scope.rec.exported.size(), 1u);  // room enough: exported
}

namespace {

// A picture of noise (which no compression shrinks) shown at its own size on every page.
void ShowNoiseOnEveryPage(CLeafwrightDoc& doc, int size) {
  auto* bitmap = new Gdiplus::Bitmap(size, size, Gdiplus::PixelFormat24bppRGB);
  Gdiplus::BitmapData data{};
  Gdiplus::Rect all(0, 0, size, size);
  bitmap->LockBits(&all, Gdiplus::ImageLockModeWrite, Gdiplus::PixelFormat24bppRGB, &data);
  std::mt19937 random(11);
  for (int y = 0; y < size; ++y) {
    auto* row = static_cast<uint8_t*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride;
    for (int x = 0; x < 3 * size; ++x) row[x] = static_cast<uint8_t>(random());
  }
  bitmap->UnlockBits(&data);
  auto* res = new Vectorloom::CBitmapResObj;
  res->AddRef();
  res->SetGdiBitmap(bitmap, nullptr, 1);
  for (int i = 0; i < doc.GetPagesCount(); ++i) {
    auto* shape = new Vectorloom::CCustomPathObj;
    shape->AddRectanglePath({0, 0, static_cast<float>(size), static_cast<float>(size)});
    shape->SetFillKind(Vectorloom::RENDER_KIND_BITMAP);
    shape->GetFillDefinition().SetRenderBitmap(res);
    shape->SetStrokeOutlineFlag(0);
    shape->AddRef();
    doc.GetDrawingPage(i)->AddShapeObject(shape);
    shape->Release();
  }
  res->Release();
}

}  // namespace

// On a nearly full disk: a PDF that would not fit by the estimate of what the export writes is
// refused before the export starts; a small document whose file fits is exported there; one that
// outgrows the estimate fails with the reason and keeps the old file.
TEST(PublishCommands, APdfExportIsRefusedUpFrontOnlyWhenTheDiskLacksTheRoom) {
  lwtest::SmallDisk disk(8u << 20);
  if (!disk.ok()) GTEST_SKIP() << "no small disk on this machine: " << disk.why();
  const std::wstring path = lw::Utf8ToWide((disk.path() / "out.pdf").string());
  {
    ASSERT_TRUE(disk.LeaveFree(2u << 20));
    AppStateScope app;
    PublishScope scope;
    CLeafwrightDoc doc;
    AddPages(doc, 1);
    ShowNoiseOnEveryPage(doc, 1000);  // 3 MB of pixels that do not compress
    EXPECT_GT(EstimatePdfSize(doc), disk.Free());
    scope.rec.pdfAnswer = path;
    doc.OnSaveAsPdf();
    EXPECT_TRUE(scope.rec.exported.empty()) << "refused before the export";
    ASSERT_EQ(scope.rec.messages.size(), 1u);
    EXPECT_EQ(scope.rec.messages[0].first, L"Failed to create the PDF file at\r\n" + path + L".\r\nThe disk is full.");
  }
  {
    fs::remove(disk.path() / "filler");
    ASSERT_TRUE(disk.LeaveFree(96u << 10));
    AppStateScope app;
    PublishScope scope;
    PublishHooks().pfnSavePdf = nullptr;  // the real export
    CLeafwrightDoc doc;
    AddPages(doc, 3);
    scope.rec.pdfAnswer = path;
    doc.OnSaveAsPdf();
    EXPECT_TRUE(scope.rec.messages.empty())
        << lw::WideToUtf8(scope.rec.messages.empty() ? L"" : scope.rec.messages[0].first);
    EXPECT_GT(fs::file_size(disk.path() / "out.pdf"), 0u);
  }
  {
    // A file a little over its estimate passes the check, runs out of disk while it is written,
    // says so and leaves the file that was there.
    fs::remove(disk.path() / "filler");
    lwtest::WriteFileBytes(disk.path() / "out.pdf", {'o', 'l', 'd'});
    AppStateScope app;
    PublishScope scope;
    PublishHooks().pfnSavePdf = nullptr;
    CLeafwrightDoc doc;
    AddPages(doc, 1);
    ShowNoiseOnEveryPage(doc, 200);  // 120 KB of pixels
    const uint64_t estimate = EstimatePdfSize(doc);
    ASSERT_TRUE(disk.LeaveFree(estimate + (8u << 10)));
    scope.rec.pdfAnswer = path;
    doc.OnSaveAsPdf();
    ASSERT_EQ(scope.rec.messages.size(), 1u) << "estimate " << estimate;
    EXPECT_EQ(scope.rec.messages[0].first, L"Failed to create the PDF file at\r\n" + path + L".\r\nThe disk is full.");
    EXPECT_EQ(lwtest::ReadFileBytes(disk.path() / "out.pdf"), (std::vector<uint8_t>{'o', 'l', 'd'}));
  }
}

// A flip-book export that runs out of disk says so, though the disk has its room back once the
// export has given up (the new book was built beside the old one), and the old book stays.
TEST(PublishCommands, AFlipBookExportThatRunsOutOfDiskSaysSo) {
  lwtest::SmallDisk disk(16u << 20);
  if (!disk.ok()) GTEST_SKIP() << "no small disk on this machine: " << disk.why();
  lwtest::TempDir player;
  for (const char* name : {"ruffle.js", "core.ruffle.js", "core.wasm"}) std::ofstream(player / name) << name;
  setenv("LEAFWRIGHT_RUFFLE_DIR", player.path().c_str(), 1);
  AppStateScope app;
  PublishScope scope;
  PublishHooks().pfnSaveFlipBook = nullptr;  // the real export
  const fs::path book = disk.path() / "book";
  fs::create_directories(book);
  std::ofstream(book / "index.html") << "the old book";
  ASSERT_TRUE(disk.LeaveFree(3u << 20));
  CLeafwrightDoc doc;
  AddPages(doc, 16);
  ShowNoiseOnEveryPage(doc, 700);  // every page movie holds the picture as it is shown: 0.3 MB each
  scope.rec.folderAnswer = lw::Utf8ToWide(book.string());
  doc.OnSaveAsPageFlip();
  unsetenv("LEAFWRIGHT_RUFFLE_DIR");
  ASSERT_EQ(scope.rec.messages.size(), 1u);
  EXPECT_EQ(scope.rec.messages[0].first,
            L"Failed to create the page-flipping publication at\r\n" + lw::Utf8ToWide(book.string()) +
                L".\r\nThe disk is full.");
  EXPECT_GT(disk.Free(), 1u << 20) << "the room is back";
  std::ifstream in(book / "index.html");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "the old book");
}
