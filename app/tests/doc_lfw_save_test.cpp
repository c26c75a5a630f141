// Saving a document file through the document's save: the old file stays whole until the new one
// is complete, also when the document still reads pages from it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "LeafwrightDoc.h"
#include "LfwTestKit.h"
#include "PageBusiPage.h"
#include "ReplaceKill.h"

using namespace lfwtest;

namespace {

std::vector<std::wstring> g_messages;

struct LfwSaveFixture : ::testing::Test {
  void SetUp() override {
    TestHome();
    g_messages.clear();
    saved = CDocument::Hooks().pfnMessageBox;
    CDocument::Hooks().pfnMessageBox = [](const wchar_t* text, UINT) {
      g_messages.emplace_back(text);
      return IDOK;
    };
  }
  void TearDown() override { CDocument::Hooks().pfnMessageBox = saved; }

  // A three-page file with one shape on each page.
  static Bytes ThreePages() {
    CLeafwrightDoc doc;
    for (int i = 0; i < 3; ++i) {
      auto* page = new CPageBusiPage;
      page->SetPageContentLoaded(1);
      page->SetPageLogUnit(Vectorloom::UNIT_INCH);
      page->AddShapeObject(MakeShape(10.0f * i, 5, 20, 30, Vectorloom::RENDER_KIND_SOLID));
      doc.GetRenderPagesArray().AddPage(page);
    }
    return WriteToBytes(doc);
  }

  lwtest::TempDir dir;
  int (*saved)(const wchar_t*, UINT) = nullptr;
};

// A document whose pages are read from a file when first needed.
struct FileDoc {
  explicit FileDoc(const fs::path& path) : source(new CCacheLfwPageContent(W(path).c_str())) {
    source->AddRef();
    for (int i = 0; i < source->GetPagesCount(); ++i) {
      auto* page = new CPageBusiPage;
      page->SetPageSourceContent(source);
      page->SetPageSourceIndex(i);
      doc.GetRenderPagesArray().AddPage(page);
    }
    doc.m_bAutoDelete = FALSE;
  }
  ~FileDoc() {
    doc.GetRenderPagesArray().RemoveAllPages();
    source->Release();
  }
  int Objects(int i) {
    CDrawingPage* page = doc.GetDrawingPage(i);
    if (!page->IsPageContentLoaded() && !page->LoadPageContent(&doc)) return -1;
    return page->GetRenderObjectList().GetCount();
  }
  CLeafwrightDoc doc;
  CCacheLfwPageContent* source;
};

// Saved onto the file it reads from (directly or through a link), with only the first page read
// and changed: the new file holds every page, the link stays, and the old file stays readable
// for pages read after the save.
TEST_F(LfwSaveFixture, SaveOntoTheFileThePagesAreReadFrom) {
  for (bool throughLink : {false, true}) {
    SCOPED_TRACE(throughLink ? "through a link" : "direct");
    const fs::path real = dir / (throughLink ? "real.lfw" : "doc.lfw");
    const fs::path named = dir / "doc.lfw";
    if (throughLink) fs::remove(named);
    lwtest::WriteFileBytes(real, ThreePages());
    if (throughLink) fs::create_symlink("real.lfw", named);

    FileDoc opened(named);
    ASSERT_EQ(opened.doc.GetPagesCount(), 3);
    ASSERT_EQ(opened.Objects(0), 1);
    opened.doc.GetDrawingPage(0)->AddShapeObject(MakeShape(1, 1, 2, 2, Vectorloom::RENDER_KIND_SOLID));
    EXPECT_TRUE(opened.doc.DoSave(W(named).c_str()));
    EXPECT_TRUE(g_messages.empty());
    EXPECT_EQ(fs::is_symlink(named), throughLink);
    EXPECT_EQ(opened.Objects(2), 1);  // read from the old file after the save

    FileDoc again(named);
    ASSERT_EQ(again.doc.GetPagesCount(), 3);
    EXPECT_EQ(again.Objects(0), 2);
    EXPECT_EQ(again.Objects(1), 1);
    EXPECT_EQ(again.Objects(2), 1);
  }
}

// A save killed before the rename leaves the old file's bytes; after it, the whole new file.
TEST_F(LfwSaveFixture, KilledSaveLeavesOldOrNewFile) {
  const Bytes old = ThreePages();
  const fs::path path = dir / "doc.lfw";
  lwtest::WriteFileBytes(path, old);
  auto save = [&] {
    FileDoc opened(path);
    opened.Objects(1);
    opened.doc.GetDrawingPage(1)->AddShapeObject(MakeShape(1, 1, 2, 2, Vectorloom::RENDER_KIND_SOLID));
    opened.doc.DoSave(W(path).c_str());
  };
  EXPECT_TRUE(lwtest::SaveKilledAt(lw::ReplaceStep::kSynced, save));
  EXPECT_EQ(lwtest::ReadFileBytes(path), old);
  EXPECT_TRUE(lwtest::SaveKilledAt(lw::ReplaceStep::kRenamed, save));
  FileDoc again(path);
  EXPECT_EQ(again.Objects(1), 2);
}

// A source whose pages cannot be read.
class CUnreadableSource : public IPageContentSource {
 public:
  bool LoadPageContent(CDrawingPage*, int, CPublicationDoc*) override { return false; }
  int GetPagesCount() override { return 1; }
};

// A page that cannot be read fails the save: the old file keeps its bytes, nothing is left
// beside it, the document stays modified and the user is told the path and which page.
TEST_F(LfwSaveFixture, FailedSaveKeepsTheFileAndSaysWhy) {
  const Bytes old = ThreePages();
  const fs::path path = dir / "doc.lfw";
  lwtest::WriteFileBytes(path, old);
  auto* unreadable = new CUnreadableSource;
  unreadable->AddRef();
  {
    FileDoc opened(path);
    opened.doc.GetDrawingPage(1)->SetPageSourceContent(unreadable);
    opened.doc.SetModifiedFlag();
    EXPECT_FALSE(opened.doc.DoSave(W(path).c_str()));
    EXPECT_TRUE(opened.doc.IsModified());
  }
  unreadable->Release();
  EXPECT_EQ(lwtest::ReadFileBytes(path), old);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 1);
  ASSERT_EQ(g_messages.size(), 1u);
  EXPECT_NE(g_messages[0].find(L"Could not save \"" + W(path) + L"\"."), std::wstring::npos) << lw::WideToUtf8(g_messages[0]);
  EXPECT_NE(g_messages[0].find(L"Page 2"), std::wstring::npos) << lw::WideToUtf8(g_messages[0]);
}

}  // namespace
