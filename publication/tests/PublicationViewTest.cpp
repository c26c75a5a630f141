// The publication view without a window: double clicks, key routing, video frames, the face
// preview and the events the page actions send.
#include <gtest/gtest.h>

#include <gdi/wingdi.h>
#include <lwstr.h>
#include <quirebook/FontFaceActions.h>
#include <quirebook/PageActions.h>
#include <vectorloom/ShapeObj.h>
#include <winuser.h>

#include <cstdlib>
#include <string>

#include "PubViewTestKit.h"
#include "TestSupport.h"

using pubtest::PubViewFixture;

namespace {

CDDrawTextObj* AddText(PubViewFixture& f, const std::wstring& chars, float x, float y) {
  auto* text = new CDDrawTextObj;
  text->SetLayoutBox(200, 40);
  text->SetTransMatrix(Vectorloom::CQorTransMatrix::Translation(x, y), true);
  GlyphweaveLib::CRichFontDesc font;
  font.SetFontFaceName(L"DejaVu Sans");
  HDC dc = GetDC(nullptr);
  text->InsertString(0, chars.c_str(), static_cast<int>(chars.size()), dc, font, nullptr, f.doc.GetFontGlyphCacheManager());
  ReleaseDC(nullptr, dc);
  text->RecalcuLayout(0);
  f.page->AddShapeObject(text);
  return text;
}

Vectorloom::CCustomPathObj* AddShape(PubViewFixture& f, float x, float y) {
  auto* s = new Vectorloom::CCustomPathObj;
  s->AddRectanglePath(Vectorloom::CQorVectorRect<float>(0, 0, 40, 40));
  s->SetTransMatrix(Vectorloom::CQorTransMatrix::Translation(x, y), true);
  f.page->AddShapeObject(s);
  return s;
}

CBaseVideoObj* AddVideo(PubViewFixture& f, const std::string& path, float x, float y) {
  auto* v = new CBaseVideoObj;
  v->SetVideoObjectSize({64, 32});
  v->SetVideoFullPathName(lw::Utf8ToWide(path));
  v->CreatePathStorage();
  v->SetTransMatrix(Vectorloom::CQorTransMatrix::Translation(x, y), true);
  v->RecalcuLayout();
  f.page->AddShapeObject(v);
  return v;
}

// A clip made with ffmpeg (empty when ffmpeg is missing).
std::string MakeClip(const lwtest::TempDir& dir, const char* name) {
  if (std::system("ffmpeg -version > /dev/null 2>&1") != 0) return {};
  const std::string clip = (dir / name).string();
  const std::string cmd =
      "ffmpeg -v error -y -f lavfi -i color=c=blue:size=64x32:rate=10:duration=3 -pix_fmt yuv420p '" + clip + "'";
  return std::system(cmd.c_str()) == 0 ? clip : std::string();
}

// A frame block as the playback sink sends it: 2 x 2 pixels, all red.
std::vector<uint8_t> RedFrame() {
  CMyReelpane* sink = new CMyReelpane();
  sink->SetVideoSize(2, 2);
  const uint8_t y[4] = {81, 81, 81, 81}, u[1] = {90}, v[1] = {240};
  sink->RenderFrame(y, u, v, 2);
  std::vector<uint8_t> block = sink->GetFrameBlock();
  sink->Release();
  return block;
}

// A preview of another kind that records whether its values were put back.
class ColourScene : public Vectorloom::CBasePreviewScene {
 public:
  explicit ColourScene(int* restored) : m_pRestored(restored) {}
  int Restore(Vectorloom::CWorkspaceDoc*, Vectorloom::CRenderPage*, const Vectorloom::CRenderBaseObjectList&) override {
    ++*m_pRestored;
    return 1;
  }

 private:
  int* m_pRestored;
};

std::string Faces(const CDDrawTextObj& t) {
  std::string s;
  for (int r = 0; r < t.GetFontRuns().GetSize(); ++r) {
    const std::wstring face = t.GetFontRunDesc(r).GetFontFaceNameW();
    s += std::to_string(t.GetFontRuns().GetAt(r).m_nLength) + ":" + std::string(face.begin(), face.end()) + " ";
  }
  return s;
}

}  // namespace

TEST(PublicationView, DoubleClickEditsATextSelectedAlone) {
  PubViewFixture f;
  auto* shape = AddShape(f, 300, 200);
  CDDrawTextObj* text = AddText(f, L"Hello", 20, 20);
  f.view->SelectRenderObject(shape, false);
  CPublicationView::g_EditingTextTool.SetCaretCode(3);
  f.DblClk(30, 30);
  EXPECT_EQ(f.view->GetSelectedObjectsCount(), 1);
  EXPECT_TRUE(f.view->IsObjectSelected(text));
  EXPECT_EQ(f.view->IsSelectedTextObjects(), 1);
  EXPECT_EQ(f.view->GetEditingTool(), &CPublicationView::g_EditingTextTool);
  EXPECT_EQ(CPublicationView::g_EditingTextTool.GetEditingText(), text);
  EXPECT_EQ(CPublicationView::g_EditingTextTool.GetCaretPos(), 0);
  // A double click on nothing changes nothing.
  f.DblClk(390, 290);
  EXPECT_EQ(f.view->GetEditingTool(), &CPublicationView::g_EditingTextTool);
}

// Keys go to the current tool; without one the view's own keys (nudging the selection) act.
TEST(PublicationView, KeysReachTheBaseViewOnlyWithoutATool) {
  PubViewFixture f;
  auto* shape = AddShape(f, 300, 200);
  AddText(f, L"Hello", 20, 20);
  f.view->SelectRenderObject(shape, false);
  f.view->OnKeyDown(VK_RIGHT, 1, 0);
  EXPECT_FLOAT_EQ(shape->GetTransMatrix().dx, 301.0f);
  f.DblClk(30, 30);
  f.view->SelectRenderObject(shape, true);
  f.view->OnKeyDown(VK_RIGHT, 1, 0);
  EXPECT_FLOAT_EQ(shape->GetTransMatrix().dx, 301.0f);
  EXPECT_EQ(CPublicationView::g_EditingTextTool.GetCaretIndex(), 1);
}

TEST(PublicationView, FramesReplaceThePictureOnlyWhileThePlayerToolIsCurrent) {
  PubViewFixture f;
  CBaseVideoObj* video = AddVideo(f, "/no/such/clip.mp4", 100, 100);
  const std::vector<uint8_t> frame = RedFrame();
  ASSERT_FALSE(frame.empty());
  CPublicationView::g_playVideoTool.SetVideoObject(video);
  EXPECT_EQ(f.view->OnVideoFrameUpdate(0, reinterpret_cast<LPARAM>(frame.data())), 0);
  EXPECT_EQ(video->GetFillDefinition().GetRenderBitmap(), nullptr) << "another tool is current";
  CPublicationView::g_playVideoTool.SetVideoObject(nullptr);

  f.DblClk(110, 110);  // the clip does not open: the tool is current, no player runs
  ASSERT_EQ(f.view->GetEditingTool(), &CPublicationView::g_playVideoTool);
  EXPECT_FALSE(CPublicationView::g_playVideoTool.IsPlaying());
  const int before = f.host.invalidations;
  f.view->OnVideoFrameUpdate(0, reinterpret_cast<LPARAM>(frame.data()));
  Vectorloom::CBitmapResObj* res = video->GetFillDefinition().GetRenderBitmap();
  ASSERT_NE(res, nullptr);
  ASSERT_NE(res->GetGdiBitmap(), nullptr);
  Gdiplus::Color c;
  res->GetGdiBitmap()->GetPixel(1, 1, &c);
  EXPECT_GT(c.GetR(), 240);
  EXPECT_LT(c.GetB(), 16);
  EXPECT_GT(f.host.invalidations, before);

  // Blocks whose headers are not a frame's are refused.
  std::vector<uint8_t> bad = frame;
  bad[28] = 32;
  std::vector<uint8_t> huge = frame;
  huge[21] = 0x7F;
  for (auto* block : {&bad, &huge}) {
    res->SetGdiBitmap(nullptr, nullptr, 0);
    f.view->OnVideoFrameUpdate(0, reinterpret_cast<LPARAM>(block->data()));
    EXPECT_EQ(res->GetGdiBitmap(), nullptr);
  }
  f.view->OnVideoFrameUpdate(0, 0);
}

TEST(PublicationView, DoubleClickOnThePlayingVideoDoesNotRestartIt) {
  lwtest::TempDir dir;
  const std::string clip = MakeClip(dir, "a.mp4");
  if (clip.empty()) GTEST_SKIP() << "ffmpeg is not installed";
  PubViewFixture f;
  CBaseVideoObj* first = AddVideo(f, clip, 20, 20);
  CBaseVideoObj* second = AddVideo(f, clip, 200, 20);
  auto& tool = CPublicationView::g_playVideoTool;
  f.DblClk(30, 30);
  ASSERT_EQ(f.view->GetEditingTool(), &tool);
  ASSERT_TRUE(tool.IsPlaying());
  EXPECT_EQ(tool.GetVideoObject(), first);
  const double overview = tool.GetOverviewTime();
  EXPECT_NEAR(overview, 3.0, 0.3);
  const int refs = first->GetRefCount();
  f.DblClk(30, 30);
  EXPECT_EQ(tool.GetVideoObject(), first);
  EXPECT_EQ(first->GetRefCount(), refs);
  EXPECT_TRUE(tool.IsPlaying());
  // Another video: the first one is let go and the second plays.
  f.DblClk(210, 30);
  EXPECT_EQ(tool.GetVideoObject(), second);
  EXPECT_EQ(first->GetRefCount(), 1) << "only the page holds the first video";
  EXPECT_TRUE(tool.IsPlaying());
  // A press beside the video stops it.
  f.Down(380, 280);
  EXPECT_EQ(f.view->GetEditingTool(), nullptr);
  EXPECT_FALSE(tool.IsPlaying());
  EXPECT_EQ(tool.GetVideoObject(), nullptr);
}

// The face preview backs the characters up once: after two hovers restoring puts the original
// faces back. A preview of another kind is put back before its scene goes.
TEST(PublicationView, FacePreviewRestoresTheOriginal) {
  PubViewFixture f;
  CDDrawTextObj* text = AddText(f, L"Hello", 20, 20);
  const std::string original = Faces(*text);
  f.DblClk(30, 30);
  auto& tool = CPublicationView::g_EditingTextTool;
  int restored = 0;
  auto* colour = new ColourScene(&restored);
  f.view->SetPreviewSceneForTest(colour);
  f.view->PreviewChangeEditingTextObjFontFace(GlyphweaveLib::_CharsFontDesc(L"DejaVu Serif", 0, 0, -1));
  EXPECT_EQ(f.view->GetPreviewScene(), colour) << "nothing selected: no face preview";
  EXPECT_EQ(restored, 0);
  tool.SetSelection(1, 4);
  f.view->PreviewChangeEditingTextObjFontFace(GlyphweaveLib::_CharsFontDesc(L"DejaVu Serif", 0, 0, -1));
  EXPECT_EQ(restored, 1) << "the other preview's values stayed in the document";
  auto* scene = dynamic_cast<CPreviewChangeEditingTextFontFaceSence*>(f.view->GetPreviewScene());
  ASSERT_NE(scene, nullptr);
  EXPECT_EQ(Faces(*text), "1:DejaVu Sans 3:DejaVu Serif 1:DejaVu Sans ");
  f.view->PreviewChangeEditingTextObjFontFace(GlyphweaveLib::_CharsFontDesc(L"DejaVu Sans Mono", 0, 0, -1));
  EXPECT_EQ(f.view->GetPreviewScene(), scene);
  EXPECT_EQ(scene->GetBackup()->GetSegmentCount(), 1);
  EXPECT_EQ(Faces(*text), "1:DejaVu Sans 3:DejaVu Sans Mono 1:DejaVu Sans ");
  f.view->RestorePrevScene();
  f.view->DestroyPreviewScene();
  EXPECT_EQ(Faces(*text), original);
  EXPECT_FALSE(f.doc.CanUndo());
}

// After pages leave the document (undoing a new page), a text of a removed page is no longer
// edited; a text of a page that stays keeps its editing.
TEST(PublicationView, RemovedPageEndsTheEditingOfItsText) {
  PubViewFixture f;
  auto* added = new CDrawingPage;
  f.doc.GetRenderPagesArray().AddPage(added);
  auto* action = new CUpdateRenderPagesAction(CString(L"New Page"), true);
  action->BackupPageOrder(1);
  f.doc.AddEditAction(action);
  CDDrawTextObj* kept = AddText(f, L"stay", 20, 20);
  f.DblClk(30, 30);
  ASSERT_EQ(CPublicationView::g_EditingTextTool.GetEditingText(), kept);
  f.doc.OnEditUndo();  // the second page leaves; the shown one stays
  EXPECT_EQ(f.view->GetEditingTool(), &CPublicationView::g_EditingTextTool);
  f.doc.OnEditRedo();

  f.view->SetRenderPage(added);
  auto* text = new CDDrawTextObj;
  text->SetLayoutBox(100, 30);
  added->AddShapeObject(text);
  f.DblClk(10, 10);
  ASSERT_EQ(CPublicationView::g_EditingTextTool.GetEditingText(), text);
  f.doc.OnEditUndo();
  EXPECT_EQ(f.view->GetEditingTool(), nullptr);
  EXPECT_EQ(CPublicationView::g_EditingTextTool.GetEditingText(), nullptr);
}

TEST(PublicationView, ImportedPageHasItsTextsMergedWhenFirstShown) {
  PubViewFixture f;
  auto* imported = new CDrawingPage;
  imported->AddShapeObject(new CDDrawTextObj);  // an empty piece: merging drops it
  imported->SetNeedIntegrateTextsFlag(true);
  f.doc.GetRenderPagesArray().AddPage(imported);
  f.view->SetRenderPage(imported);
  EXPECT_FALSE(imported->IsNeedIntegrateTexts());
  EXPECT_EQ(imported->GetRenderObjectList().GetCount(), 0);
}
