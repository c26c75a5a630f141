// A document's failed open or save reaches the user through the window layer's message box.
#include <gtest/gtest.h>

#include <afxwin.h>

#include <string>
#include <vector>

#include <lwstr.h>

#include "TestSupport.h"

namespace {

struct Box {
  std::wstring text;
  UINT type;
};
std::vector<Box> g_boxes;

int RecordBox(const wchar_t* text, const wchar_t*, UINT type) {
  g_boxes.push_back({text, type});
  return IDOK;
}

class CEmptyDoc : public CDocument {
  void Serialize(CArchive&) override {}
};

TEST(DocumentReport, FailedOpenAndSaveShowThePathAndTheReason) {
  const auto previous = lwmfc::GetMessageBoxHook();
  lwmfc::SetMessageBoxHook(&RecordBox);
  g_boxes.clear();
  lwtest::TempDir dir;
  CEmptyDoc doc;
  doc.m_bAutoDelete = FALSE;
  const std::wstring missing = lw::Utf8ToWide((dir / "missing.lfw").string());
  const std::wstring noFolder = lw::Utf8ToWide((dir / "no folder" / "new.lfw").string());
  EXPECT_FALSE(doc.OnOpenDocument(missing.c_str()));
  EXPECT_FALSE(doc.DoSave(noFolder.c_str()));
  lwmfc::SetMessageBoxHook(previous);

  ASSERT_EQ(g_boxes.size(), 2u);
  EXPECT_NE(g_boxes[0].text.find(L"Could not open \"" + missing + L"\"."), std::wstring::npos) << lw::WideToUtf8(g_boxes[0].text);
  EXPECT_NE(g_boxes[0].text.find(L"was not found"), std::wstring::npos);
  EXPECT_NE(g_boxes[1].text.find(L"Could not save \"" + noFolder + L"\"."), std::wstring::npos) << lw::WideToUtf8(g_boxes[1].text);
  for (const Box& b : g_boxes) {
    EXPECT_EQ(b.type & MB_TYPEMASK, static_cast<UINT>(MB_OK));
    EXPECT_EQ(b.type & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION));
  }
}

}  // namespace
