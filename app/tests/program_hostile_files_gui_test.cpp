// Crafted files opened by the program itself, through its real entry under Xvfb: each opens and
// tells what it left out, or is refused with the reason; the window goes on either way.
//
//   program_hostile_files_gui_test              writes the files that are cheap to make and opens
//                                               them one after another, checking the messages;
//   program_hostile_files_gui_test --write DIR  writes every crafted file (some take hundreds of
//                                               megabytes to make) into DIR and ends;
//   program_hostile_files_gui_test --open FILE  starts the program with FILE, prints the seconds
//                                               from the start to the end of the open and what
//                                               the open told, and ends (for /usr/bin/time -v).
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <lwstr.h>

#include "LeafwrightApp.h"
#include "LeafwrightDoc.h"
#include "LfwSections.h"
#include "MainFrame.h"
#include "PageBusiPage.h"
#include "PageObjectRecords.h"
#include "PageShapeObj.h"
#include "PageVideoObj.h"
#include "PdfFixtures.h"
#include "ProgramHarness.h"

namespace fs = std::filesystem;

namespace {

using programharness::Check;
using programharness::MessageBoxes;
using Bytes = std::vector<uint8_t>;

// ---------------------------------------------------------------------------------------------
// The crafted files

// A document file of pages written by WriteLfwDocument; `fill` adds each page's objects.
bool WriteDocument(const fs::path& path, int pages, float width, float height,
                   const std::function<void(CPageBusiPage&, int)>& fill) {
  CLeafwrightDoc doc;
  for (int i = 0; i < pages; ++i) {
    auto* page = new CPageBusiPage;
    page->SetPageContentLoaded(1);
    page->SetLogWidth(width);
    page->SetLogHeight(height);
    page->SetPageLogUnit(Vectorloom::UNIT_INCH);
    if (fill) fill(*page, i);
    doc.GetRenderPagesArray().AddPage(page);
  }
  CFile file;
  if (!file.Open(lw::Utf8ToWide(path.string()).c_str(), CFile::modeCreate | CFile::modeWrite)) return false;
  CString error;
  const bool ok = WriteLfwDocument(&doc, file, nullptr, &error);
  file.Close();
  return ok;
}

CPageShapeObj* Square(float x) {
  auto* shape = new CPageShapeObj;
  shape->AddRectanglePath({0, 0, 20, 20});
  shape->SetTransMatrix(Vectorloom::CQorTransMatrix::Translation(x, 10), false);
  shape->SetFillKind(Vectorloom::RENDER_KIND_SOLID);
  shape->CreatePathStorage();
  return shape;
}

// One page record made on demand, `size` bytes: the page header (8.5 x 11 inches), the object
// count, the shape record `count` times, then zeros.
class CMadePageWriter : public CZipSavingInterface {
 public:
  CMadePageWriter(uint32_t count, size_t size) : CZipSavingInterface("Page"), m_count(count), m_size(size) {}
  unsigned GetBlocksCount() const override { return 1; }
  bool SavingIndexs(CFile* file) const override {
    const uint8_t entry[4 + kLfwPageEntrySize] = {1};
    file->Write(entry, sizeof(entry));
    return true;
  }
  unsigned char* MakeBlockContent(int, unsigned long& raw, const CString&, const CString&) override {
    CMemFile shape(256);
    CPageShapeObj* square = Square(0);
    square->AddRef();
    SavePageObject(shape, *square, CString(kLfwVersion2));
    square->Release();
    const size_t record = static_cast<size_t>(shape.GetLength());
    const size_t size = std::max(m_size, 20 + record * m_count);
    auto* p = static_cast<unsigned char*>(std::calloc(size, 1));
    if (!p) return nullptr;
    const float width = 8.5f, height = 11.0f;
    const uint32_t unit = Vectorloom::UNIT_INCH, flags = 0;
    std::memcpy(p, &width, 4);
    std::memcpy(p + 4, &height, 4);
    std::memcpy(p + 8, &unit, 4);
    std::memcpy(p + 12, &flags, 4);
    std::memcpy(p + 16, &m_count, 4);
    for (uint32_t i = 0; i < m_count; ++i) std::memcpy(p + 20 + i * record, shape.GetBufferPtr(), record);
    raw = size;
    return p;
  }

 private:
  uint32_t m_count;
  size_t m_size;
};

// A document file of that one page and empty picture, font and video sections.
bool WriteMadePage(const fs::path& path, uint32_t count, size_t size) {
  CFile file;
  if (!file.Open(lw::Utf8ToWide(path.string()).c_str(), CFile::modeCreate | CFile::modeWrite)) return false;
  WriteLfwFileHeader(file);
  CMadePageWriter pages(count, size);
  Vectorloom::CBitmapResObjsList noPictures;
  CZipSavingBitmapResObjs pictures(noPictures);
  GlyphweaveLib::CEmbedFontResManager noFonts;
  CBaseZipSavingEmbedFont fonts(noFonts);
  CVideoFilePathsMap noClips;
  CDeflateSavingVideos clips(noClips);
  pages.SavingBlockTag(&file);
  pictures.SavingBlockTag(&file);
  fonts.SavingBlockTag(&file);
  clips.SavingBlockTag(&file);
  const CString v1(kLfwVersion1), v2(kLfwVersion2);
  const bool ok = pages.SavingBlocks(&file, v1, v2, nullptr) && pictures.SavingBlocks(&file, v1, v2, nullptr) &&
                  fonts.SavingBlocks(&file, v1, v2, nullptr) && clips.SavingBlocks(&file, v1, v2, nullptr);
  file.Close();
  return ok;
}

// A PDF page of `count` 1 x 1 rectangles, each filled.
Bytes RectanglesPdf(int count) {
  std::string content;
  content.reserve(static_cast<size_t>(count) * 16);
  for (int i = 0; i < count; ++i) content += std::to_string(i % 600) + " " + std::to_string(i / 600 % 780) + " 1 1 re f\n";
  lwtest::PdfBuilder b;
  return b.FinishPages({content}, "<< >>");
}

// A 1 x 1 image whose soft mask declares 60,000 x 60,000 pixels (of four bytes).
Bytes MaskPdf() {
  lwtest::PdfBuilder b;
  const int mask = b.AddStream("/Type /XObject /Subtype /Image /Width 60000 /Height 60000 /ColorSpace /DeviceGray "
                               "/BitsPerComponent 8",
                               Bytes(4, 0));
  const int img = b.AddStream("/Type /XObject /Subtype /Image /Width 1 /Height 1 /ColorSpace /DeviceRGB "
                              "/BitsPerComponent 8 /SMask " + std::to_string(mask) + " 0 R",
                              Bytes{1, 2, 3});
  return b.FinishPages({"0 0 1 rg 5 5 20 20 re f", "q 9 0 0 9 50 50 cm /Im1 Do Q"},
                       "<< /XObject << /Im1 " + std::to_string(img) + " 0 R >> >>");
}

// Page 2's image lies in resources nested 20,000 deep; page 3's dictionary itself is.
Bytes DeepPdf(bool deepPage) {
  const std::string deep = std::string(20000, '[') + std::string(20000, ']');
  lwtest::PdfBuilder b;
  const int img = b.AddStream("/Type /XObject /Subtype /Image /Width 1 /Height 1 /ColorSpace /DeviceGray "
                              "/BitsPerComponent 8",
                              Bytes{7});
  if (deepPage) return b.FinishPages({"0 0 1 rg 5 5 20 20 re f"}, "<< /Deep " + deep + " >>");
  const int res = b.Add("<< /XObject << /Im1 " + std::to_string(img) + " 0 R >> /Deep " + deep + " >>");
  return b.FinishPages({"0 0 1 rg 5 5 20 20 re f", "0 0 1 rg 5 5 20 20 re f q 9 0 0 9 50 50 cm /Im1 Do Q"},
                       std::to_string(res) + " 0 R");
}

// One 8000 x 8000 image (Flate-packed RGB) drawn over the whole of each of 32 pages.
Bytes LargeImagePdf() {
  constexpr int kSide = 8000;
  Bytes rgb(static_cast<size_t>(kSide) * kSide * 3);
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) {
      uint8_t* px = rgb.data() + (static_cast<size_t>(y) * kSide + x) * 3;
      px[0] = static_cast<uint8_t>(x * 255 / kSide);
      px[1] = static_cast<uint8_t>(y * 255 / kSide);
      px[2] = static_cast<uint8_t>((x ^ y) & 0xFF);
    }
  lwtest::PdfBuilder b;
  const int img = b.AddStream("/Type /XObject /Subtype /Image /Width 8000 /Height 8000 /ColorSpace /DeviceRGB "
                              "/BitsPerComponent 8",
                              rgb);
  rgb = Bytes();
  return b.FinishPages(std::vector<std::string>(32, "q 612 0 0 792 0 0 cm /Im1 Do Q"),
                       "<< /XObject << /Im1 " + std::to_string(img) + " 0 R >> >>");
}

struct Crafted {
  const char* name;
  bool cheap;
  std::function<bool(const fs::path&)> write;
};

const std::vector<Crafted>& CraftedFiles() {
  static const std::vector<Crafted> files = {
      {"size-zero.lfw", true, [](const fs::path& p) { return WriteDocument(p, 2, 0.0f, 11.0f, nullptr); }},
      {"size-negative.lfw", true, [](const fs::path& p) { return WriteDocument(p, 2, 8.5f, -11.0f, nullptr); }},
      {"size-1e30.lfw", true, [](const fs::path& p) { return WriteDocument(p, 2, 1e30f, 11.0f, nullptr); }},
      {"mask.pdf", true, [](const fs::path& p) { lwtest::WriteFileBytes(p, MaskPdf()); return true; }},
      {"deep-resources.pdf", true, [](const fs::path& p) { lwtest::WriteFileBytes(p, DeepPdf(false)); return true; }},
      {"deep-page.pdf", true, [](const fs::path& p) { lwtest::WriteFileBytes(p, DeepPdf(true)); return true; }},
      {"rectangles-1m.pdf", true, [](const fs::path& p) { lwtest::WriteFileBytes(p, RectanglesPdf(1000000)); return true; }},
      {"videos-8.lfw", false,
       [](const fs::path& p) {
         // One clip of 16 MiB of zeros (it packs to about 16 KB), played by 8 video objects.
         const fs::path clip = p.parent_path() / "clip-16m.avi";
         lwtest::WriteFileBytes(clip, Bytes(16u << 20, 0));
         const bool ok = WriteDocument(p, 1, 8.5f, 11.0f, [&](CPageBusiPage& page, int) {
           for (int i = 0; i < 8; ++i) {
             auto* video = new CPageVideoObj;
             video->SetVideoFullPathName(lw::Utf8ToWide(clip.string()));
             video->SetVideoObjectSize({64, 48});
             page.AddShapeObject(video);
           }
         });
         fs::remove(clip);
         return ok;
       }},
      {"shapes-1m.lfw", false, [](const fs::path& p) { return WriteMadePage(p, 1000000, 0); }},
      {"shapes-100k.lfw", false, [](const fs::path& p) { return WriteMadePage(p, 100000, 0); }},
      {"inflates-1g.lfw", false, [](const fs::path& p) { return WriteMadePage(p, 1, size_t{1} << 30); }},
      {"image-8000-on-32-pages.pdf", false, [](const fs::path& p) { lwtest::WriteFileBytes(p, LargeImagePdf()); return true; }},
  };
  return files;
}

// ---------------------------------------------------------------------------------------------
// The program

class CScriptedApp : public CLeafwrightApp {
 public:
  fs::path dir;
  std::string only;  // --open: the one file
  std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
  int step = 0;
  bool reported = false;

  CMainFrame* Frame() { return dynamic_cast<CMainFrame*>(m_pMainWnd); }
  CLeafwrightDoc* Doc() { return Frame() ? dynamic_cast<CLeafwrightDoc*>(Frame()->GetActiveDocument()) : nullptr; }

  // Opens a file of the folder and returns what the open told.
  std::vector<std::wstring> Open(const char* name) {
    MessageBoxes().clear();
    OpenDocumentFile(lw::Utf8ToWide((dir / name).string()).c_str());
    return MessageBoxes();
  }
  std::wstring Refused(const char* name, const wchar_t* reason) {
    return L"Could not open \"" + lw::Utf8ToWide((dir / name).string()) + L"\".\n" + reason;
  }
  static std::wstring LeftOut(const std::wstring& lines) {
    return L"Some content of this document could not be shown and was left out:\n" + lines;
  }

  BOOL OnIdle(LONG lCount) override {
    CLeafwrightApp::OnIdle(lCount);
    if (!Frame() || !Doc()) return TRUE;
    if (!only.empty()) {
      // The command line's file is opened by the program's own idle work, before this point.
      if (!GetStartFile().IsEmpty() || reported) return TRUE;
      reported = true;
      const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
      rusage usage{};
      getrusage(RUSAGE_SELF, &usage);
      std::printf("open %s: %.2f s from start, %d pages, peak %.0f MB, %zu messages\n", fs::path(only).filename().c_str(),
                  seconds, Doc()->GetPagesCount(), usage.ru_maxrss / 1024.0, MessageBoxes().size());
      for (const std::wstring& m : MessageBoxes()) std::printf("  %s\n", lw::WideToUtf8(m).c_str());
      Frame()->PostMessage(WM_CLOSE);
      return TRUE;
    }
    switch (step++) {
      case 0:
        // Impossible page sizes refuse the open, naming the page; the window stays, untitled.
        for (const char* name : {"size-zero.lfw", "size-negative.lfw", "size-1e30.lfw"}) {
          Check(Open(name) == std::vector<std::wstring>{Refused(name, L"Pages 1 and 2 could not be read.")}, name);
          Check(Doc()->GetPagesCount() == 1 && Doc()->GetPathName().IsEmpty(), std::string(name) + ": a blank untitled page");
        }
        break;
      case 1:
        Check(Open("mask.pdf") == std::vector<std::wstring>{LeftOut(L"Page 2: an image of 60,000 x 60,000 pixels was left out")},
              "mask.pdf: the image left out is told once");
        Check(Doc()->GetPagesCount() == 2, "mask.pdf: both pages open");
        break;
      case 2:
        Check(Open("deep-resources.pdf") ==
                  std::vector<std::wstring>{LeftOut(L"Page 2: part of the page cannot be read and was left out")},
              "deep-resources.pdf: the part left out is told");
        Check(Doc()->GetPagesCount() == 2, "deep-resources.pdf: both pages open");
        Check(Open("deep-page.pdf") == std::vector<std::wstring>{Refused("deep-page.pdf", L"Page 1 could not be read.")},
              "deep-page.pdf: a page whose dictionary cannot be read refuses the open");
        break;
      case 3:
        Check(Open("rectangles-1m.pdf") ==
                  std::vector<std::wstring>{LeftOut(L"Page 1: the page holds more than a page can show and was simplified")},
              "rectangles-1m.pdf: the simplified page is told");
        Check(Doc()->GetPagesCount() == 1 && Doc()->GetDrawingPage(0)->GetRenderObjectList().GetCount() > 0,
              "rectangles-1m.pdf: the page keeps what fits");
        Frame()->PostMessage(WM_CLOSE);
        break;
      default:
        break;
    }
    return TRUE;
  }
  int ExitInstance() override {
    CLeafwrightApp::ExitInstance();
    if (only.empty()) Check(step >= 4, "every step ran");
    return programharness::Failures() == 0 ? 0 : 3;
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--write") == 0) {
    fs::create_directories(argv[2]);
    int failed = 0;
    for (const Crafted& c : CraftedFiles()) {
      const bool ok = c.write(fs::path(argv[2]) / c.name);
      std::printf("%s %s\n", ok ? "wrote" : "FAILED", c.name);
      failed += ok ? 0 : 1;
    }
    return failed == 0 ? 0 : 1;
  }
  programharness::Environment env;
  CScriptedApp app;
  if (argc == 3 && std::strcmp(argv[1], "--open") == 0) {
    app.only = fs::absolute(argv[2]).string();
    return programharness::RunProgram(argv[0], {app.only});
  }
  const fs::path& files = env.files();
  for (const Crafted& c : CraftedFiles())
    if (c.cheap && !c.write(files / c.name)) return 1;
  app.dir = fs::canonical(files);
  return programharness::RunProgram(argv[0]);
}
