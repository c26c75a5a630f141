// The editing view without a window: the zoom levels and their commands, where the page lies in
// the window, which page the document's updates show, what a paint puts on the screen and how
// new objects are named.
#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

#include <afxdlgs.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <utility>
#include <vector>

#include <gdi/wingdi.h>
#include <lwstr.h>
#include <QorpControls.h>
#include <QorpGallery.h>
#include <quirebook/PdfPageParser.h>
#include <vectorloom/GroupObj.h>
#include <vectorloom/ShapeObj.h>

#include "LeafwrightDoc.h"
#include "LeafwrightView.h"
#include "PdfFixtures.h"
#include "PageShapeObj.h"
#include "PageVideoObj.h"
#include "ShellIds.h"
#include "StampsTool.h"
#include "ViewRibbonValues.h"
#include "ZoomPane.h"

#include <CharProperties.h>
#include <SelectionReaders.h>

#include "EditTestKit.h"
#include "TestSupport.h"

namespace fs = std::filesystem;

namespace {

class Host : public Vectorloom::IViewHost {
 public:
  void InvalidateRect(const RECT*) override { ++invalidations; }
  void SetTimer(UINT_PTR, UINT) override {}
  void KillTimer(UINT_PTR) override {}
  void SetCapture() override {}
  void ReleaseCapture() override {}
  bool HasCapture() const override { return false; }
  void SetCursor(HCURSOR) override {}
  CDC* GetDC() override { return nullptr; }
  void ReleaseDC(CDC*) override {}
  CSize GetClientSize() const override { return client; }
  int invalidations = 0;
  CSize client{1000, 1200};
};

// What an update handler set.
struct UpdateProbe : CCmdUI {
  explicit UpdateProbe(UINT id) { m_nID = id; }
  void Enable(BOOL on) override { enabled = on != FALSE; }
  void SetCheck(int n) override { checked = n; }
  void SetText(const wchar_t* s) override { text = s; }
  bool enabled = false;
  int checked = -1;
  CString text;
};

// A document read from a PDF of `pages` letter pages (816 x 1056 pixels), with a view on it.
struct Fixture {
  explicit Fixture(int pages = 3) {
    setenv("HOME", dir.path().c_str(), 1);
    lwtest::WriteFileBytes(dir / "doc.pdf", lwtest::MakeCairoPdf(pages));
    doc.m_bAutoDelete = FALSE;
    EXPECT_TRUE(doc.OnOpenDocument(lw::Utf8ToWide((dir / "doc.pdf").string()).c_str()));
    view = new CLeafwrightView;
    view->m_pDocument = &doc;
    view->SetViewHost(&host);
    view->OnUpdate(nullptr, 3, nullptr);
  }
  ~Fixture() {
    view->m_pDocument = nullptr;
    delete view;
    doc.DeleteContents();
  }
  Fixture(const Fixture&) = delete;
  Fixture& operator=(const Fixture&) = delete;
  UpdateProbe Update(UINT id) {
    UpdateProbe probe(id);
    probe.DoUpdate(view, FALSE);
    return probe;
  }
  lwtest::TempDir dir;
  Host host;
  CLeafwrightDoc doc;
  CLeafwrightView* view = nullptr;
};

TEST(EditingViewZoom, StepsReachTheNextLevelInTheAskedDirection) {
  const struct {
    float from;
    bool in;
    float to;
  } cases[] = {
      {7.99f, true, 8.0f},   {0.13f, false, 0.125f}, {1.1f, true, 1.25f}, {1.1f, false, 1.0f},
      {1.0f, true, 1.25f},   {1.0f, false, 0.75f},   {8.0f, true, 8.0f},  {0.125f, false, 0.125f},
      {0.2f, false, 1.0f / 6.0f}, {1.0f / 6.0f, true, 0.2f},
  };
  for (const auto& c : cases)
    EXPECT_FLOAT_EQ(StepZoomFactor(c.from, c.in), c.to) << c.from << (c.in ? " in" : " out");
}

TEST(EditingViewZoom, CommandsAndTheirUpdateRules) {
  Fixture f(1);
  struct Case {
    float zoom;
    UINT command;  // 0: none, only the rules are looked at
    float after;
    bool actualSize, zoomIn, zoomOut;
  } cases[] = {
      {100, ViewCmd::kZoomIn, 125, false, true, true},
      {799, ViewCmd::kZoomIn, 800, true, true, true},
      {800, ViewCmd::kZoomIn, 800, true, false, true},
      {13, ViewCmd::kZoomOut, 12.5f, true, true, true},
      {12.5f, ViewCmd::kZoomOut, 12.5f, true, true, false},
      {110, ViewCmd::kZoomOut, 100, true, true, true},
      {250, ViewCmd::kZoomActualSize, 100, true, true, true},
      {100, 32862, 400, false, true, true},
      {100, 32871, 100.0f / 6.0f, false, true, true},
      {100, 32872, 12.5f, false, true, true},
  };
  for (const Case& c : cases) {
    f.view->ZoomView(c.zoom);
    EXPECT_EQ(f.Update(ViewCmd::kZoomActualSize).enabled, c.actualSize) << c.zoom;
    EXPECT_EQ(f.Update(ViewCmd::kZoomIn).enabled, c.zoomIn) << c.zoom;
    EXPECT_EQ(f.Update(ViewCmd::kZoomOut).enabled, c.zoomOut) << c.zoom;
    f.view->OnCmdMsg(c.command, CN_COMMAND, nullptr, nullptr);
    EXPECT_FLOAT_EQ(f.view->GetZoom(), c.after) << c.zoom << " then " << c.command;
  }
  // The level list checks the entry of the zoom, 1/6 included, and no entry between levels
  // (Actual Size has its own rule, above).
  f.view->ZoomView(100.0f / 6.0f);
  for (const ZoomLevel& level : g_zoomLevels)
    if (level.nCommand != ViewCmd::kZoomActualSize)
      EXPECT_EQ(f.Update(level.nCommand).checked, level.nCommand == 32871 ? 1 : 0) << level.nCommand;
  f.view->ZoomView(110);
  for (const ZoomLevel& level : g_zoomLevels)
    if (level.nCommand != ViewCmd::kZoomActualSize) EXPECT_EQ(f.Update(level.nCommand).checked, 0) << level.nCommand;
  EXPECT_EQ(f.Update(ID_INDICATOR_ZOOM).text, L"110%");
}

TEST(EditingViewPlacement, WideWindowsCentreThePageNarrowOnesStartAtTheMargin) {
  Fixture f(1);
  const struct {
    CSize client;
    float zoom;
    CRect page;
    CSize scroll;
  } cases[] = {
      {{1000, 1200}, 100, {92, 72, 908, 1128}, {816 + 48, 1056 + 48}},
      {{500, 400}, 100, {24, 24, 840, 1080}, {816 + 48, 1056 + 48}},
      {{1000, 1200}, 50, {296, 336, 704, 864}, {408 + 48, 528 + 48}},
      {{1000, 1200}, 400, {24, 24, 24 + 3264, 24 + 4224}, {3264 + 48, 4224 + 48}},
  };
  for (const auto& c : cases) {
    f.host.client = c.client;
    f.view->ZoomView(c.zoom);
    EXPECT_EQ(f.view->GetPageRect(), c.page) << c.client.cx << " at " << c.zoom;
    EXPECT_EQ(f.view->GetTotalSize(), c.scroll) << c.client.cx << " at " << c.zoom;
  }
}

TEST(EditingViewUpdates, HintsShowThePageAndFollowItThroughOrderChanges) {
  Fixture f(3);
  CDrawingPage* first = f.doc.GetDrawingPage(0);
  CDrawingPage* third = f.doc.GetDrawingPage(2);
  EXPECT_EQ(f.view->GetShownPage(), first);
  const CRect placed = f.view->GetPageRect();
  const CSize scroll = f.view->GetTotalSize();

  // Hint 3 with a page shows it; a page of the same size keeps the page rectangle and scroll sizes.
  f.view->OnUpdate(nullptr, 3, Vectorloom::CWorkspaceDoc::PageHint(third));
  EXPECT_EQ(f.view->GetShownPage(), third);
  EXPECT_TRUE(third->IsPageContentLoaded());
  EXPECT_EQ(f.view->GetPageIndex(), 2);
  EXPECT_EQ(f.view->GetPageRect(), placed);
  EXPECT_EQ(f.view->GetTotalSize(), scroll);

  // The page moves to the front and the document says so without a page: the view repaints and
  // the page number follows the page.
  f.doc.GetRenderPagesArray().DetachPage(2);
  f.doc.GetRenderPagesArray().InsertPage(0, third);
  third->Release();  // the array took a reference of its own
  const int before = f.host.invalidations;
  f.view->OnUpdate(nullptr, 4, nullptr);
  EXPECT_GT(f.host.invalidations, before);
  EXPECT_EQ(f.view->GetShownPage(), third);
  EXPECT_EQ(f.Update(ID_INDICATOR_PAGE_NUMBER).text, L"Page: 1 of 3");

  // Hint 4 with a page shows it; hint 2 repaints only.
  f.view->OnUpdate(nullptr, 4, Vectorloom::CWorkspaceDoc::PageHint(first));
  EXPECT_EQ(f.view->GetShownPage(), first);
  const int again = f.host.invalidations;
  f.view->OnUpdate(nullptr, 2, Vectorloom::CWorkspaceDoc::PageHint(third));
  EXPECT_EQ(f.view->GetShownPage(), first);
  EXPECT_GT(f.host.invalidations, again);
  EXPECT_EQ(f.Update(ID_INDICATOR_PAGE_NUMBER).text, L"Page: 2 of 3");
}

// Paints the view into a bitmap of the client's size filled with `fill` first.
struct Painted {
  Painted(CLeafwrightView& view, CSize size, COLORREF fill) {
    dc = CreateCompatibleDC(nullptr);
    bmp = CreateCompatibleBitmap(dc, size.cx, size.cy);
    old = SelectObject(dc, bmp);
    const RECT all{0, 0, size.cx, size.cy};
    HBRUSH brush = CreateSolidBrush(fill);
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    CDC cdc;
    cdc.m_hDC = dc;
    view.OnDraw(&cdc);
    cdc.m_hDC = nullptr;
  }
  ~Painted() {
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
  }
  COLORREF At(int x, int y) const { return GetPixel(dc, x, y); }
  HDC dc;
  HBITMAP bmp;
  HGDIOBJ old;
};

TEST(EditingViewPaint, ShadowFrameAndDeskAroundThePageNothingWithoutAPage) {
  Fixture f(1);
  f.view->ZoomView(100);
  const CRect r = f.view->GetPageRect();
  {
    Painted p(*f.view, f.host.client, RGB(1, 2, 3));
    EXPECT_EQ(p.At(r.right + 3, r.bottom + 3), RGB(111, 111, 111)) << "the shadow";
    EXPECT_EQ(p.At(r.left - 1, r.top + 10), RGB(0, 0, 0)) << "the frame";
    EXPECT_NE(p.At(r.right + 20, r.top + 100), RGB(1, 2, 3)) << "the desk beyond the shadow";
    EXPECT_EQ(p.At(r.right + 20, r.top + 100), p.At(5, 5)) << "the desk is one colour";
    EXPECT_EQ(p.At(r.left + 2, r.top + 2), RGB(255, 255, 255)) << "the paper";
  }
  // The hover preview's flag that hides the tool's outline goes with the preview: while a
  // preview scene is held it stays, once none is held the next paint clears it.
  auto* shape = new CPageShapeObj;
  shape->AddRectanglePath(Vectorloom::CQorVectorRect<float>(0, 0, 10, 10));
  f.view->GetShownPage()->AddShapeObject(shape);
  f.view->SelectRenderObject(shape, false);
  f.view->PreviewModifyShapeObjsStrokeWidth(7);
  ASSERT_NE(f.view->GetPreviewScene(), nullptr);
  f.view->m_bOutlineSuppressed = 1;
  { Painted p(*f.view, f.host.client, RGB(1, 2, 3)); }
  EXPECT_EQ(f.view->m_bOutlineSuppressed, 1);
  f.view->RestorePrevScene();
  f.view->DestroyPreviewScene();
  { Painted p(*f.view, f.host.client, RGB(1, 2, 3)); }
  EXPECT_EQ(f.view->m_bOutlineSuppressed, 0);

  f.view->ShowPage(nullptr);
  Painted none(*f.view, f.host.client, RGB(1, 2, 3));
  for (const CPoint pt : {CPoint(5, 5), CPoint(r.left + 2, r.top + 2), CPoint(r.right + 3, r.bottom + 3)})
    EXPECT_EQ(none.At(pt.x, pt.y), RGB(1, 2, 3)) << "nothing is drawn without a page";
}

TEST(EditingViewNaming, NewObjectsAreNumberedPerKindForTheWholeRun) {
  const struct {
    int event;
    const wchar_t* name;
    bool selectionToolBack;
  } cases[] = {
      {Vectorloom::VIEW_EVENT_TEXT_CREATED, L"Text-1", true},
      {Vectorloom::VIEW_EVENT_TEXT_CREATED, L"Text-2", true},
      {Vectorloom::VIEW_EVENT_IMAGE_CREATED, L"Image-1", false},
      {Vectorloom::VIEW_EVENT_SHAPE_CREATED, L"Shape-1", true},
      {Vectorloom::VIEW_EVENT_GROUP_CREATED, L"Group-1", false},
  };
  {
    Fixture f(1);
    for (const auto& c : cases) {
      f.view->UpdateEditingTool(&Vectorloom::CWorkspaceView::g_DrawOvalTool);
      auto* obj = new Vectorloom::CCustomPathObj;
      f.view->ProcessEvent(c.event, reinterpret_cast<LPARAM>(obj));
      EXPECT_EQ(obj->GetObjectName(), c.name);
      EXPECT_EQ(f.view->GetEditingTool() == nullptr, c.selectionToolBack) << c.name;
      f.view->UpdateEditingTool(nullptr);
      obj->Release();
    }
  }
  // Another document does not start the numbers again.
  Fixture g(1);
  auto* obj = new Vectorloom::CCustomPathObj;
  g.view->ProcessEvent(Vectorloom::VIEW_EVENT_TEXT_CREATED, reinterpret_cast<LPARAM>(obj));
  EXPECT_EQ(obj->GetObjectName(), L"Text-3");
  obj->Release();
}

}  // namespace

namespace {

std::wstring g_fileAnswer;
std::wstring g_lastFilter;
BOOL AnswerOpen(BOOL bOpen, CString& name, const wchar_t* filter) {
  g_lastFilter = filter ? filter : L"";
  if (!bOpen || g_fileAnswer.empty()) return FALSE;
  name = g_fileAnswer.c_str();
  return TRUE;
}

// A 24-bit BMP file of w x h pixels of one colour.
void WriteBmp(const fs::path& path, int w, int h) {
  const int stride = (w * 3 + 3) & ~3;
  std::vector<unsigned char> b(54 + static_cast<size_t>(stride) * h, 0x80);
  auto put = [&](size_t at, uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
  };
  b[0] = 'B', b[1] = 'M';
  put(2, static_cast<uint32_t>(b.size()), 4), put(6, 0, 4), put(10, 54, 4), put(14, 40, 4), put(18, w, 4);
  put(22, h, 4), put(26, 1, 2), put(28, 24, 2), put(30, 0, 4), put(34, 0, 4), put(38, 2835, 4), put(42, 2835, 4);
  put(46, 0, 4), put(50, 0, 4);
  lwtest::WriteFileBytes(path, b);
}

// A page point as a client point of the view.
CPoint ClientOf(CLeafwrightView& view, float x, float y);

TEST(EditingViewInsert, VideoSizeFitsEightyPercentOfThePageNeverEnlarged) {
  const struct {
    int w, h;
    bool fits;
    int cx, cy;
    float x, y;
  } cases[] = {
      {1920, 1080, true, 653, 367, 81.5f, 344.5f},
      {320, 240, true, 320, 240, 248, 408},
      {1080, 1920, true, 475, 845, 170.5f, 105.5f},
      {0, 240, false, 0, 0, 0, 0},  // a poster without pixels: no division by its width
      {320, 0, false, 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    VideoPlacement at;
    EXPECT_EQ(FitVideoOnPage(c.w, c.h, 816, 1056, at), c.fits) << c.w << "x" << c.h;
    if (!c.fits) continue;
    EXPECT_EQ(at.cx, c.cx) << c.w << "x" << c.h;
    EXPECT_EQ(at.cy, c.cy) << c.w << "x" << c.h;
    EXPECT_FLOAT_EQ(at.x, c.x) << c.w << "x" << c.h;
    EXPECT_FLOAT_EQ(at.y, c.y) << c.w << "x" << c.h;
  }
}

std::vector<std::wstring> g_insertMessages;
int RecordInsertMessage(const wchar_t* text, const wchar_t*, UINT) {
  g_insertMessages.emplace_back(text);
  return IDOK;
}

// Add Image offers only what it reads; a TIFF file is added, a file that is no picture is
// reported with the reason and adds nothing.
TEST(EditingViewInsert, ImageFormatsOfferedAreReadAndFailuresAreReported) {
  Fixture f(1);
  lwmfc::SetFileDialogHook(&AnswerOpen);
  lwmfc::SetMessageBoxHook(&RecordInsertMessage);
  CDrawingPage* page = f.view->GetShownPage();
  const int objects = page->GetRenderObjectList().GetCount();
  WriteBmp(f.dir / "picture.bmp", 40, 30);
  const fs::path tiff = f.dir / "picture.tif";
  const std::string convert = "convert '" + (f.dir / "picture.bmp").string() + "' '" + tiff.string() + "'";
  ASSERT_EQ(std::system(convert.c_str()), 0) << "ImageMagick makes the TIFF file";
  g_fileAnswer = lw::Utf8ToWide(tiff.string());
  f.view->OnCmdMsg(ViewCmd::kInsertImage, CN_COMMAND, nullptr, nullptr);
  EXPECT_TRUE(g_insertMessages.empty());
  ASSERT_EQ(page->GetRenderObjectList().GetCount(), objects + 1);
  EXPECT_EQ(page->GetRenderObjectList().GetTail()->GetObjectName().Left(6), L"Image-");
  // The filter names the formats read and none other.
  for (const wchar_t* offered : {L"*.tif", L"*.tiff", L"*.pcx", L"*.tga", L"*.ico", L"*.cur", L"*.ani"})
    EXPECT_NE(g_lastFilter.find(offered), std::wstring::npos) << lw::WideToUtf8(offered);
  for (const wchar_t* dropped : {L"psd", L"wmf", L"emf"})
    EXPECT_EQ(g_lastFilter.find(dropped), std::wstring::npos) << lw::WideToUtf8(dropped);

  const struct {
    const char* name;
    std::string bytes;
    const wchar_t* reason;
  } bad[] = {
      {"letter.png", "Dear reader, this is no picture.", L"Leafwright reads PNG, JPEG, BMP, GIF, TIFF, PCX, TGA, ICO, CUR and ANI pictures."},
      {"cut.bmp", "BM\x40\0\0\0", L"The picture is damaged."},
  };
  for (const auto& c : bad) {
    g_insertMessages.clear();
    lwtest::WriteFileBytes(f.dir / c.name, std::vector<uint8_t>(c.bytes.begin(), c.bytes.end()));
    g_fileAnswer = lw::Utf8ToWide((f.dir / c.name).string());
    f.view->OnCmdMsg(ViewCmd::kInsertImage, CN_COMMAND, nullptr, nullptr);
    EXPECT_EQ(page->GetRenderObjectList().GetCount(), objects + 1) << c.name;
    ASSERT_EQ(g_insertMessages.size(), 1u) << c.name;
    EXPECT_EQ(g_insertMessages[0], L"Could not insert the picture \"" + g_fileAnswer + L"\".\n" + c.reason) << c.name;
  }
  lwmfc::SetMessageBoxHook(nullptr);
  lwmfc::SetFileDialogHook(nullptr);
  g_fileAnswer.clear();
}

TEST(EditingViewInsert, TextImageAndVideoCommands) {
  Fixture f(1);
  lwmfc::SetFileDialogHook(&AnswerOpen);
  CDrawingPage* page = f.view->GetShownPage();
  const int objects = page->GetRenderObjectList().GetCount();

  // Add Text: the text drawing tool becomes current.
  f.view->OnCmdMsg(ViewCmd::kInsertText, CN_COMMAND, nullptr, nullptr);
  EXPECT_EQ(f.view->GetEditingTool(), &CPublicationView::g_DrawTextTool);

  // Dragging a box with it makes a text box, named from the counters; the selection tool is back.
  f.view->OnLButtonDown(MK_LBUTTON, ClientOf(*f.view, 100, 100));
  f.view->OnMouseMove(MK_LBUTTON, ClientOf(*f.view, 200, 150));
  f.view->OnLButtonUp(0, ClientOf(*f.view, 200, 150));
  ASSERT_EQ(page->GetRenderObjectList().GetCount(), objects + 1);
  EXPECT_EQ(page->GetRenderObjectList().GetTail()->GetObjectName().Left(5), L"Text-");
  if (f.view->GetEditingTool() == &CPublicationView::g_EditingTextTool) f.view->UpdateEditingTool(nullptr);
  const int withText = objects + 1;

  // Add Image: the selection tool comes back; the chosen picture is added and named.
  WriteBmp(f.dir / "picture.bmp", 40, 30);
  g_fileAnswer = lw::Utf8ToWide((f.dir / "picture.bmp").string());
  f.view->OnCmdMsg(ViewCmd::kInsertImage, CN_COMMAND, nullptr, nullptr);
  EXPECT_EQ(f.view->GetEditingTool(), nullptr);
  ASSERT_EQ(page->GetRenderObjectList().GetCount(), withText + 1);
  EXPECT_EQ(page->GetRenderObjectList().GetTail()->GetObjectName().Left(6), L"Image-");
  EXPECT_NE(g_lastFilter.find(L"PNG (Portable Network Graphics)|*.png"), std::wstring::npos);

  // Add Video with a clip whose path is long and not ASCII: it is inserted centred, selected,
  // as one undoable step that marks the document modified.
  if (std::system("ffmpeg -v quiet -version > /dev/null 2>&1") != 0) GTEST_SKIP() << "no ffmpeg";
  const fs::path folder = f.dir / std::string(150, 'v') / (std::string(150, 'w') + " \xc3\xa9t\xc3\xa9");
  fs::create_directories(folder);
  const fs::path clip = folder / "clip.flv";
  const std::string cmd = "ffmpeg -v error -y -f lavfi -i color=c=blue:size=64x48:rate=10:duration=1 -c:v flv '" +
                          clip.string() + "'";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  f.doc.SetModifiedFlag(FALSE);
  g_fileAnswer = lw::Utf8ToWide(clip.string());
  f.view->OnCmdMsg(ViewCmd::kInsertVideo, CN_COMMAND, nullptr, nullptr);
  EXPECT_NE(g_lastFilter.find(L"Flash Video Format (*.flv)|*.flv"), std::wstring::npos);
  ASSERT_EQ(page->GetRenderObjectList().GetCount(), withText + 2);
  auto* video = dynamic_cast<CPageVideoObj*>(page->GetRenderObjectList().GetTail());
  ASSERT_NE(video, nullptr);
  EXPECT_EQ(video->GetVideoFullPathName(), g_fileAnswer);
  EXPECT_EQ(video->GetVideoObjectSize().cx, 64);
  EXPECT_EQ(video->GetVideoObjectSize().cy, 48);
  EXPECT_FLOAT_EQ(video->GetTransMatrix().dx, (816 - 64) * 0.5f);
  EXPECT_TRUE(f.view->IsObjectSelected(video));
  EXPECT_EQ(f.view->GetSelectedObjectsCount(), 1);
  EXPECT_TRUE(f.doc.IsModified());
  EXPECT_EQ(f.doc.GetUndoMenuText(), L"Undo Add Video");
  f.doc.OnEditUndo();
  EXPECT_EQ(page->GetRenderObjectList().GetCount(), withText + 1);

  // A file that is not a clip inserts nothing and records nothing.
  const CString undoBefore = f.doc.GetUndoMenuText();
  g_fileAnswer = lw::Utf8ToWide((f.dir / "picture.bmp").string()) + L".missing";
  f.view->OnCmdMsg(ViewCmd::kInsertVideo, CN_COMMAND, nullptr, nullptr);
  EXPECT_EQ(page->GetRenderObjectList().GetCount(), withText + 1);
  EXPECT_EQ(f.doc.GetUndoMenuText(), undoBefore);
  lwmfc::SetFileDialogHook(nullptr);
  g_fileAnswer.clear();
}

}  // namespace

namespace {

CPoint ClientOf(CLeafwrightView& view, float x, float y) {
  const auto lp = view.MapFromPic(Vectorloom::CQorVectorPoint<float>(x, y));
  const CPoint scroll = view.GetDeviceScrollPosition();
  return CPoint(static_cast<long>(std::lround(lp.x)) - scroll.x, static_cast<long>(std::lround(lp.y)) - scroll.y);
}

int Members(Vectorloom::CRenderBaseObj* obj) {
  auto* group = dynamic_cast<Vectorloom::CRenderGroupObj*>(obj);
  return group ? group->GetChildList().GetCount() : -1;
}

TEST(Stamps, EveryGalleryItemPlacesItsStampAsOneUndoableStep) {
  Fixture f(1);
  CDrawingPage* page = f.view->GetShownPage();
  const int objects = page->GetRenderObjectList().GetCount();
  int placed = 0;
  for (const UINT galleryId : {ViewCmd::kStampsSignHere, ViewCmd::kStampsBusiness, ViewCmd::kStampsDynamic}) {
    const StampGallery* gallery = FindStampGallery(galleryId);
    ASSERT_NE(gallery, nullptr);
    for (int i = 0; i < gallery->nCount; ++i) {
      const int id = gallery->nIds[i];
      Vectorloom::CRenderBaseObj* art = LoadObjectsFromResource(gallery->pszType, id, &f.doc);
      ASSERT_NE(art, nullptr) << id;
      art->AddRef();
      const int artMembers = Members(art);
      art->Release();
      EXPECT_GE(artMembers, 2) << id << ": a frame and a caption";

      f.view->PickStamp(galleryId, i);
      EXPECT_EQ(f.view->GetEditingTool(), &g_DrawStampsTool);
      for (const UINT other : {ViewCmd::kStampsSignHere, ViewCmd::kStampsBusiness, ViewCmd::kStampsDynamic})
        EXPECT_EQ(f.view->GetStampGallerySelection(other), other == galleryId ? i : -1) << id;
      f.view->OnMouseMove(0, ClientOf(*f.view, 300, 400));
      ASSERT_NE(g_DrawStampsTool.GetHeldStamp(), nullptr) << id;
      f.view->OnMouseMove(0, ClientOf(*f.view, 320, 420));
      f.view->OnLButtonDown(MK_LBUTTON, ClientOf(*f.view, 320, 420));
      ++placed;
      ASSERT_EQ(page->GetRenderObjectList().GetCount(), objects + placed) << id;
      Vectorloom::CRenderBaseObj* stamp = page->GetRenderObjectList().GetTail();
      const auto b = stamp->GetBoundRect();
      EXPECT_NEAR((b.left + b.right) / 2, 320, 1) << id << ": centred on the pointer";
      EXPECT_NEAR((b.top + b.bottom) / 2, 420, 1) << id;
      // A DYNAMIC stamp carries its line of text as one more member.
      EXPECT_EQ(Members(stamp), artMembers + (galleryId == ViewCmd::kStampsDynamic ? 1 : 0)) << id;
      EXPECT_TRUE(f.view->IsObjectSelected(stamp));
      EXPECT_EQ(f.doc.GetUndoMenuText(), L"Undo Add Stamp");
      EXPECT_EQ(f.view->GetEditingTool(), nullptr) << "each stamp needs a new pick";
      EXPECT_EQ(f.view->GetStampGallerySelection(galleryId), -1);
    }
  }
  EXPECT_EQ(placed, 22);
  f.doc.OnEditUndo();
  EXPECT_EQ(page->GetRenderObjectList().GetCount(), objects + placed - 1);
}

TEST(Stamps, DropsOffThePageAndClicksWithoutAMove) {
  Fixture f(1);
  CDrawingPage* page = f.view->GetShownPage();
  const int objects = page->GetRenderObjectList().GetCount();
  f.doc.SetModifiedFlag(FALSE);
  const CString undo = f.doc.GetUndoMenuText();

  // A move off the page loads nothing; dragged wholly off the page, the stamp is not placed.
  f.view->PickStamp(ViewCmd::kStampsSignHere, 0);
  f.view->OnMouseMove(0, ClientOf(*f.view, -30, -30));
  EXPECT_EQ(g_DrawStampsTool.GetHeldStamp(), nullptr);
  f.view->OnMouseMove(0, ClientOf(*f.view, 20, 20));
  ASSERT_NE(g_DrawStampsTool.GetHeldStamp(), nullptr);
  f.view->OnMouseMove(0, ClientOf(*f.view, -200, -200));
  f.view->OnLButtonDown(MK_LBUTTON, ClientOf(*f.view, -200, -200));
  EXPECT_EQ(page->GetRenderObjectList().GetCount(), objects) << "no object left behind";
  EXPECT_EQ(f.doc.GetUndoMenuText(), undo);
  EXPECT_FALSE(f.doc.IsModified());

  // Partly on the page is placed.
  f.view->PickStamp(ViewCmd::kStampsSignHere, 1);
  f.view->OnMouseMove(0, ClientOf(*f.view, 5, 5));
  f.view->OnLButtonDown(MK_LBUTTON, ClientOf(*f.view, 5, 5));
  EXPECT_EQ(page->GetRenderObjectList().GetCount(), objects + 1);

  // A click with no move before it places the stamp too, on the page, and Undo takes it away.
  f.view->PickStamp(ViewCmd::kStampsBusiness, 0);
  f.view->OnLButtonDown(MK_LBUTTON, ClientOf(*f.view, 400, 500));
  ASSERT_EQ(page->GetRenderObjectList().GetCount(), objects + 2);
  EXPECT_TRUE(f.view->IsObjectSelected(page->GetRenderObjectList().GetTail()));
  EXPECT_TRUE(f.doc.IsModified());
  f.doc.OnEditUndo();
  EXPECT_EQ(page->GetRenderObjectList().GetCount(), objects + 1);

  // The galleries' commands as menu entries take the stamp last chosen from that gallery, else
  // its first; a command id between the galleries' is not theirs.
  f.view->OnCmdMsg(ViewCmd::kStampsBusiness, CN_COMMAND, nullptr, nullptr);
  EXPECT_EQ(f.view->GetStampGallerySelection(ViewCmd::kStampsBusiness), 0);
  f.view->OnCmdMsg(ViewCmd::kStampsSignHere, CN_COMMAND, nullptr, nullptr);
  EXPECT_EQ(f.view->GetStampGallerySelection(ViewCmd::kStampsSignHere), 1);
  f.view->OnCmdMsg(ViewCmd::kStampsDynamic, CN_COMMAND, nullptr, nullptr);
  EXPECT_EQ(f.view->GetStampGallerySelection(ViewCmd::kStampsDynamic), 0);
  EXPECT_FALSE(f.view->OnCmdMsg(32902, CN_COMMAND, nullptr, nullptr));
  f.view->OnDefaultMode();

  // Leaving the tool while the stamp follows the pointer takes it off the page again.
  f.view->PickStamp(ViewCmd::kStampsSignHere, 2);
  f.view->OnMouseMove(0, ClientOf(*f.view, 300, 300));
  ASSERT_EQ(page->GetRenderObjectList().GetCount(), objects + 2);
  f.view->OnDefaultMode();
  EXPECT_EQ(page->GetRenderObjectList().GetCount(), objects + 1);
  EXPECT_EQ(g_DrawStampsTool.GetHeldStamp(), nullptr);
}

TEST(Stamps, DynamicTextDateUserAndColour) {
  setenv("TZ", "UTC", 1);
  tzset();
  std::tm morning{};
  morning.tm_year = 2026 - 1900, morning.tm_mon = 11, morning.tm_mday = 9;
  morning.tm_hour = 8, morning.tm_min = 15, morning.tm_sec = 50;
  const std::time_t t = timegm(&morning);
  EXPECT_EQ(CDrawStampsTool::FormatStampTime(t), L"12/09/2026 08:15:50 AM");
  // The hour stays on the 24-hour clock beside AM/PM, as the stamps always wrote it.
  EXPECT_EQ(CDrawStampsTool::FormatStampTime(t + 12 * 3600), L"12/09/2026 20:15:50 PM");
  // The user-name stamp writes the login name, not the full name of the account.
  const passwd* account = getpwuid(geteuid());
  ASSERT_NE(account, nullptr);
  EXPECT_EQ(CDrawStampsTool::GetLoginUserName(), CString(lw::Utf8ToWide(account->pw_name).c_str()));

  CDrawStampsTool tool;
  auto clock = CDrawStampsTool::s_clock;
  auto user = CDrawStampsTool::s_user;
  CDrawStampsTool::s_clock = [t] { return t; };
  CDrawStampsTool::s_user = [] { return CString(L"Ada Lovelace"); };
  const struct {
    const wchar_t* type;
    int id;
    const wchar_t* text;
  } cases[] = {
      {L"DYNAMIC", 363, L"12/09/2026 08:15:50 AM"},
      {L"DYNAMIC", 366, L"12/09/2026 08:15:50 AM"},
      {L"DYNAMIC", 367, L"Ada Lovelace"},
      {L"STAMP", 345, L""},
  };
  for (const auto& c : cases) {
    tool.SetStamp(c.type, c.id);
    EXPECT_EQ(tool.GetDynamicText(), c.text) << c.id;
  }
  CDrawStampsTool::s_clock = clock;
  CDrawStampsTool::s_user = user;

  // The colour of the text: the first member's; a group without members gives red.
  auto* empty = new Vectorloom::CRenderGroupObj;
  empty->AddRef();
  EXPECT_EQ(CDrawStampsTool::GetStampColor(empty), 255u);
  auto* shape = new Vectorloom::CCustomPathObj;
  shape->SetFillKind(Vectorloom::RENDER_KIND_SOLID);
  shape->SetFillInsideFlag(1);
  shape->SetFillColor(RGB(10, 20, 30));
  empty->AddChild(shape);
  EXPECT_EQ(CDrawStampsTool::GetStampColor(empty), RGB(10, 20, 30));
  empty->Release();
}

}  // namespace

namespace {

using edittest::MakeText;

float SizeOf(Quirebook::CDDrawTextObj* text, int i = 0) {
  return text->GetArrayOfTextCharacters()[static_cast<size_t>(i)].GetActualFontSize();
}
bool BoldOf(Quirebook::CDDrawTextObj* text, int i = 0) {
  Quirebook::CAccessTextObjBoldProp::Element v{};
  int state = -1;
  ::ReadCharsValue<Quirebook::CAccessTextObjBoldProp>(*text, i, i, v, state);
  return state == 0 && v;
}

TEST(EditingViewProperties, SelectionGroupsAreWalkedAndOneUndoRestoresEveryText) {
  Fixture f(1);
  CDrawingPage* page = f.view->GetShownPage();
  auto* small = MakeText(L"ab", 10);
  auto* large = MakeText(L"cd", 14);
  auto* deep = MakeText(L"ef", 12);
  auto* pair = edittest::MakeGroup({small, large});
  auto* nested = edittest::MakeGroup({edittest::MakeGroup({edittest::MakeGroup({deep})})});
  auto* elsewhere = MakeText(L"gh", 12);  // selected, but not on the shown page
  elsewhere->AddRef();
  page->AddShapeObject(pair);
  page->AddShapeObject(nested);
  f.view->SelectRenderObject(pair, false);
  f.view->SelectRenderObject(nested, true);
  f.view->SelectRenderObject(elsewhere, true);
  f.doc.SetModifiedFlag(FALSE);

  EXPECT_TRUE(f.view->ApplyFontSize(20));
  for (auto* t : {small, large, deep}) EXPECT_FLOAT_EQ(SizeOf(t), 20);
  EXPECT_FLOAT_EQ(SizeOf(elsewhere), 12) << "an object off the shown page is not changed";
  EXPECT_EQ(f.doc.GetUndoMenuText(), L"Undo Change Font Size");
  EXPECT_TRUE(f.doc.IsModified());
  f.doc.OnEditUndo();
  EXPECT_FLOAT_EQ(SizeOf(small), 10);
  EXPECT_FLOAT_EQ(SizeOf(large), 14);
  EXPECT_FLOAT_EQ(SizeOf(deep), 12);

  // Bold on, and off again once every text has it; each one step.
  f.view->OnCmdMsg(ViewCmd::kBold, CN_COMMAND, nullptr, nullptr);
  EXPECT_TRUE(BoldOf(small) && BoldOf(large) && BoldOf(deep));
  EXPECT_EQ(f.doc.GetUndoMenuText(), L"Undo Bold Text");
  f.view->OnCmdMsg(ViewCmd::kBold, CN_COMMAND, nullptr, nullptr);
  EXPECT_FALSE(BoldOf(small) || BoldOf(large) || BoldOf(deep));
  f.doc.OnEditUndo();
  EXPECT_TRUE(BoldOf(deep));
  elsewhere->Release();
}

TEST(EditingViewProperties, NoChangeAndSizesThatAreNoSizeRecordNothing) {
  Fixture f(1);
  auto* text = MakeText(L"abc", 12);
  f.view->GetShownPage()->AddShapeObject(text);
  f.view->SelectRenderObject(text, false);
  f.doc.SetModifiedFlag(FALSE);
  const CString undo = f.doc.GetUndoMenuText();
  for (const float size : {12.0f, 0.0f, -3.0f, std::nanf(""), INFINITY}) {
    EXPECT_FALSE(f.view->ApplyFontSize(size)) << size;
    EXPECT_FLOAT_EQ(SizeOf(text), 12) << size;
  }
  EXPECT_EQ(f.doc.GetUndoMenuText(), undo);
  EXPECT_FALSE(f.doc.IsModified());
}

TEST(EditingViewProperties, EditedCharactersChangeAndTheButtonsShowTheCaretsCharacter) {
  Fixture f(1);
  auto* text = MakeText(L"abcd", 12);
  f.view->GetShownPage()->AddShapeObject(text);
  f.view->UpdateEditingTool(&CPublicationView::g_EditingTextTool);
  CPublicationView::g_EditingTextTool.SetEditingText(text);
  CPublicationView::g_EditingTextTool.SetSelection(1, 3);
  f.doc.SetModifiedFlag(FALSE);

  f.view->OnCmdMsg(ViewCmd::kBold, CN_COMMAND, nullptr, nullptr);
  EXPECT_EQ(std::vector<bool>({BoldOf(text, 0), BoldOf(text, 1), BoldOf(text, 2), BoldOf(text, 3)}),
            std::vector<bool>({false, true, true, false}));
  EXPECT_EQ(f.Update(ViewCmd::kBold).checked, 1);
  EXPECT_TRUE(f.view->ApplyFontSize(30));
  EXPECT_FLOAT_EQ(SizeOf(text, 1), 30);
  EXPECT_FLOAT_EQ(SizeOf(text, 0), 12);
  EXPECT_EQ(f.doc.GetUndoMenuText(), L"Undo Change Font Size");
  f.doc.OnEditUndo();
  EXPECT_FLOAT_EQ(SizeOf(text, 1), 12);

  // Grow steps each character's own size; Undo gives each its own size back.
  EXPECT_TRUE(f.view->ApplyFontSize(20));  // characters 1 and 2 at 20, 0 and 3 at 12
  CPublicationView::g_EditingTextTool.SetSelection(0, 4);
  f.view->OnCmdMsg(ViewCmd::kGrowFontSize, CN_COMMAND, nullptr, nullptr);
  EXPECT_FLOAT_EQ(SizeOf(text, 0), 14);
  EXPECT_FLOAT_EQ(SizeOf(text, 1), 22);
  EXPECT_EQ(f.doc.GetUndoMenuText(), L"Undo Grow Font Size");
  f.doc.OnEditUndo();
  EXPECT_FLOAT_EQ(SizeOf(text, 0), 12);
  EXPECT_FLOAT_EQ(SizeOf(text, 1), 20);
  EXPECT_FLOAT_EQ(SizeOf(text, 3), 12);

  // No characters selected: nothing changes.
  CPublicationView::g_EditingTextTool.SetSelection(2, 2);
  EXPECT_FALSE(f.view->ApplyFontSize(40));
  f.view->UpdateEditingTool(nullptr);
}

}  // namespace

namespace {

TEST(EditingViewProperties, LineGapOfTheCaretsLineIsOneUndoableStep) {
  Fixture f(1);
  auto* text = edittest::MakeText(L"ab\rcd", 12);
  f.view->GetShownPage()->AddShapeObject(text);
  float gap = -1;
  EXPECT_FALSE(f.view->GetCaretLineGap(gap)) << "no text edited";
  EXPECT_FALSE(f.view->SetCaretLineGap(9));
  f.view->UpdateEditingTool(&CPublicationView::g_EditingTextTool);
  CPublicationView::g_EditingTextTool.SetEditingText(text);
  CPublicationView::g_EditingTextTool.SetCaretCode(4);  // in the second line
  f.doc.SetModifiedFlag(FALSE);
  const float before = text->GetRowGap(1);
  ASSERT_TRUE(f.view->SetCaretLineGap(before + 9));
  EXPECT_FLOAT_EQ(text->GetRowGap(1), before + 9);
  EXPECT_TRUE(f.doc.IsModified());
  EXPECT_EQ(f.doc.GetUndoMenuText(), L"Undo Change Line Spacing");
  EXPECT_TRUE(f.view->GetCaretLineGap(gap));
  EXPECT_FLOAT_EQ(gap, before + 9);
  f.doc.OnEditUndo();
  EXPECT_FLOAT_EQ(text->GetRowGap(1), before);
  f.doc.OnEditRedo();
  EXPECT_FLOAT_EQ(text->GetRowGap(1), before + 9);
  EXPECT_FALSE(f.view->SetCaretLineGap(before + 9)) << "no change, no step";
  f.view->UpdateEditingTool(nullptr);
}

}  // namespace

namespace {

// Sends what the ribbon sends when a value is entered in one of its edit boxes or combos (or a
// spin arrow of an edit box is pressed, with its step).
void SendEntered(CLeafwrightView* view, UINT id, const wchar_t* typed, bool combo, UINT code = QORP_CN_EXECUTE,
                 int step = 0) {
  CQORPControlEdit edit(static_cast<int>(id));
  CQORPControlComboBox box(static_cast<int>(id));
  edit.SetEditText(typed);
  box.SetEditText(typed);
  NMQORPCONTROL nm{};
  nm.hdr.idFrom = id;
  nm.hdr.code = code;
  nm.pControl = combo ? static_cast<CQORPControl*>(&box) : &edit;
  nm.nStep = step;
  LRESULT result = 0;
  AFX_NOTIFY notify{&result, &nm.hdr};
  view->OnCmdMsg(id, MAKELONG(code, WM_NOTIFY), &notify, nullptr);
  EXPECT_EQ(result, 1);
}

// What the edit box or combo of an update shows, and whether it is enabled.
std::pair<bool, CString> Shown(CLeafwrightView* view, UINT id, bool combo) {
  CQORPControlEdit edit(static_cast<int>(id));
  CQORPControlComboBox box(static_cast<int>(id));
  CQORPControl* control = combo ? static_cast<CQORPControl*>(&box) : &edit;
  CQORPCmdUI ui(control);
  ui.m_nID = id;
  view->OnCmdMsg(id, CN_UPDATE_COMMAND_UI, &ui, nullptr);
  return {control->GetEnabled() != FALSE, combo ? box.GetEditText() : edit.GetEditText()};
}

template <class A>
std::vector<float> CharValues(Quirebook::CDDrawTextObj* text) {
  std::vector<float> out;
  for (const auto& c : text->GetArrayOfTextCharacters()) out.push_back(static_cast<float>(A::Read(c)));
  return out;
}

std::vector<float> ValuesOf(UINT id, Quirebook::CDDrawTextObj* text) {
  using namespace Quirebook;
  switch (id) {
    case ID_CHARACTER_SPACING: return CharValues<CAccessTextObjCharactersSpacingProp>(text);
    case ID_BASELINE_SHIFT: return CharValues<CAccessTextObjBaselineShiftProp>(text);
    case ID_HORIZONTAL_SHIFT: return CharValues<CAccessTextObjHorizontalShiftProp>(text);
    default: return CharValues<CAccessTextObjFontSizeProp>(text);
  }
}

TEST(EditingViewProperties, SizeSpacingAndShiftBoxesChangeTheEditedCharactersAsOneStep) {
  const struct {
    UINT id;
    bool combo;
    const wchar_t* typed;
    float applied;       // the value characters 1 and 2 get; below -1000: refused
    const wchar_t* undo;
  } cases[] = {
      {ID_FONT_SIZE, true, L"30", 30, L"Undo Change Font Size"},
      {ID_FONT_SIZE, true, L"10.52", 10.5f, L"Undo Change Font Size"},  // kept to twentieths
      {ID_FONT_SIZE, true, L"0", -9999, nullptr},
      {ID_FONT_SIZE, true, L"-4", -9999, nullptr},
      {ID_FONT_SIZE, true, L"nan", -9999, nullptr},
      {ID_FONT_SIZE, true, L"inf", -9999, nullptr},
      {ID_FONT_SIZE, true, L"big", -9999, nullptr},
      {ID_FONT_SIZE, true, L"12", -9999, nullptr},  // the size they have: nothing to record
      {ID_CHARACTER_SPACING, false, L"2.5", 2.5f, L"Undo Change Characters Spacing"},
      {ID_CHARACTER_SPACING, false, L"-1", -1, L"Undo Change Characters Spacing"},
      {ID_CHARACTER_SPACING, false, L"nan", -9999, nullptr},
      {ID_BASELINE_SHIFT, false, L"4", 4, L"Undo Change Baseline Shift"},
      {ID_BASELINE_SHIFT, false, L"inf", -9999, nullptr},
      {ID_HORIZONTAL_SHIFT, false, L"-3", -3, L"Undo Change Horizontal Shift"},
      {ID_HORIZONTAL_SHIFT, false, L"x", -9999, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(lw::WideToUtf8(c.typed) + " in " + std::to_string(c.id));
    Fixture f(1);
    auto* text = MakeText(L"abcd", 12);
    f.view->GetShownPage()->AddShapeObject(text);
    f.view->UpdateEditingTool(&CPublicationView::g_EditingTextTool);
    CPublicationView::g_EditingTextTool.SetEditingText(text);
    CPublicationView::g_EditingTextTool.SetSelection(1, 3);
    f.doc.SetModifiedFlag(FALSE);
    const std::vector<float> before = ValuesOf(c.id, text);
    const CString undoBefore = f.doc.GetUndoMenuText();

    SendEntered(f.view, c.id, c.typed, c.combo);
    std::vector<float> expected = before;
    if (c.applied > -1000) expected[1] = expected[2] = c.applied;
    EXPECT_EQ(ValuesOf(c.id, text), expected);
    if (c.applied > -1000) {
      EXPECT_TRUE(f.doc.IsModified());
      EXPECT_EQ(f.doc.GetUndoMenuText(), c.undo);
      // The box shows the selected characters' value.
      const auto [enabled, shown] = Shown(f.view, c.id, c.combo);
      EXPECT_TRUE(enabled);
      EXPECT_EQ(shown, FormatControlNumber(c.applied));
      f.doc.OnEditUndo();
      EXPECT_EQ(ValuesOf(c.id, text), before) << "one undo restores every character";
    } else {
      EXPECT_FALSE(f.doc.IsModified());
      EXPECT_EQ(f.doc.GetUndoMenuText(), undoBefore);
    }
    f.view->UpdateEditingTool(nullptr);
    // No text edited: the spinners are off and change nothing.
    if (!c.combo) {
      EXPECT_FALSE(Shown(f.view, c.id, false).first);
      SendEntered(f.view, c.id, L"7", false);
      EXPECT_EQ(ValuesOf(c.id, text), before);
    }
  }
}

TEST(EditingViewProperties, SpinArrowsStepTheValueAndTheSizeComboServesSelectedTexts) {
  Fixture f(1);
  auto* text = MakeText(L"abcd", 12);
  auto* other = MakeText(L"ef", 12);
  f.view->GetShownPage()->AddShapeObject(text);
  f.view->GetShownPage()->AddShapeObject(other);
  f.view->UpdateEditingTool(&CPublicationView::g_EditingTextTool);
  CPublicationView::g_EditingTextTool.SetEditingText(text);
  CPublicationView::g_EditingTextTool.SetSelection(0, 2);
  SendEntered(f.view, ID_BASELINE_SHIFT, L"", false, QORP_CN_SPINUP, 2);
  SendEntered(f.view, ID_BASELINE_SHIFT, L"", false, QORP_CN_SPINUP, 2);
  SendEntered(f.view, ID_BASELINE_SHIFT, L"", false, QORP_CN_SPINDOWN, -1);
  EXPECT_EQ(ValuesOf(ID_BASELINE_SHIFT, text), (std::vector<float>{3, 3, 0, 0}));
  f.doc.OnEditUndo();
  EXPECT_EQ(ValuesOf(ID_BASELINE_SHIFT, text), (std::vector<float>{4, 4, 0, 0}));
  f.view->UpdateEditingTool(nullptr);

  // Not editing: the size goes to every selected text; the combo shows a common size only.
  EXPECT_FALSE(Shown(f.view, ID_FONT_SIZE, true).first) << "no text selected";
  f.view->SelectRenderObject(text, false);
  f.view->SelectRenderObject(other, true);
  EXPECT_EQ(Shown(f.view, ID_FONT_SIZE, true), std::make_pair(true, CString(L"12")));
  SendEntered(f.view, ID_FONT_SIZE, L"18", true);
  EXPECT_EQ(ValuesOf(ID_FONT_SIZE, text), (std::vector<float>{18, 18, 18, 18}));
  EXPECT_EQ(ValuesOf(ID_FONT_SIZE, other), (std::vector<float>{18, 18}));
  f.view->SelectRenderObject(text, false);
  SendEntered(f.view, ID_FONT_SIZE, L"9", true);
  f.view->SelectRenderObject(other, true);
  EXPECT_EQ(Shown(f.view, ID_FONT_SIZE, true), std::make_pair(true, CString())) << "sizes differ";
  f.doc.OnEditUndo();
  f.doc.OnEditUndo();
  EXPECT_EQ(ValuesOf(ID_FONT_SIZE, text), (std::vector<float>{12, 12, 12, 12}));
  EXPECT_EQ(ValuesOf(ID_FONT_SIZE, other), (std::vector<float>{12, 12}));
}

}  // namespace

namespace {

COLORREF g_offered = 0, g_answer = 0;
BOOL g_choose = FALSE;
BOOL AnswerColorDialog(COLORREF& color) {
  g_offered = color;
  color = g_answer;
  return g_choose;
}

TEST(EditingViewProperties, MoreColorsAppliesTheChosenColourAsOneStepAndKeepsIt) {
  const struct {
    UINT id;
    BOOL choose;
  } cases[] = {{ID_MORE_FILL_COLORS, TRUE}, {ID_MORE_STROKE_COLORS, TRUE}, {ID_MORE_FILL_COLORS, FALSE},
               {ID_MORE_STROKE_COLORS, FALSE}};
  lwmfc::SetColorDialogHook(&AnswerColorDialog);
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.id) + (c.choose ? " chosen" : " cancelled"));
    Fixture f(1);
    auto* state = dynamic_cast<CDefaultLeafwrightAppState*>(&GetLeafwrightAppState());
    ASSERT_NE(state, nullptr);
    const bool fill = c.id == ID_MORE_FILL_COLORS;
    const COLORREF current = fill ? state->GetDefaultFillColor() : state->GetDefaultStrokeColor();
    auto* shape = new CPageShapeObj;
    shape->AddRectanglePath(Vectorloom::CQorVectorRect<float>(0, 0, 40, 30));
    shape->SetStrokeOutlineFlag(1);
    shape->SetStrokeKind(Vectorloom::RENDER_KIND_SOLID);
    shape->CreatePathStorage();
    f.view->GetShownPage()->AddShapeObject(shape);
    EXPECT_FALSE(f.Update(c.id).enabled) << "nothing selected";
    f.view->SelectRenderObject(shape, false);
    EXPECT_TRUE(f.Update(c.id).enabled);
    auto read = [&] {
      Vectorloom::PaintColorValue paint;
      (fill ? ReadSelectionFilledColor : ReadSelectionOutlineColor)(f.view, paint);
      return paint;
    };
    const Vectorloom::PaintColorValue before = read();
    f.doc.SetModifiedFlag(FALSE);
    const CString undoBefore = f.doc.GetUndoMenuText();
    g_answer = RGB(12, 34, 56) ^ current;  // never the colour it already is
    g_choose = c.choose;
    f.view->OnCmdMsg(c.id, CN_COMMAND, nullptr, nullptr);
    EXPECT_EQ(g_offered, current) << "the dialog opens with the current colour";
    const COLORREF now = fill ? state->GetDefaultFillColor() : state->GetDefaultStrokeColor();
    if (!c.choose) {
      EXPECT_EQ(now, current);
      EXPECT_FALSE(f.doc.IsModified());
      EXPECT_EQ(f.doc.GetUndoMenuText(), undoBefore);
      continue;
    }
    EXPECT_EQ(now, g_answer);
    EXPECT_EQ(read().crColor & 0xFFFFFF, g_answer);
    EXPECT_EQ(f.doc.GetUndoMenuText(), fill ? L"Undo Change Filled Color" : L"Undo Change Stroke Color");
    f.doc.OnEditUndo();
    const Vectorloom::PaintColorValue after = read();
    EXPECT_EQ(after.crColor, before.crColor);
    EXPECT_EQ(after.nKind, before.nKind);
    EXPECT_EQ(after.bEnabled, before.bEnabled);
    // The current colour goes back for the next case.
    fill ? state->SetDefaultFillColor(current) : state->SetDefaultStrokeColor(current);
  }
  lwmfc::SetColorDialogHook(nullptr);
}

}  // namespace

namespace {

std::string FaceRuns(Quirebook::CDDrawTextObj* text) {
  std::string s;
  const auto& runs = text->GetFontRuns();
  for (int r = 0; r < runs.GetSize(); ++r)
    s += std::to_string(runs.GetAt(r).m_nLength) + ":" + lw::WideToUtf8(runs.GetAt(r).m_FontDesc.GetFontFaceNameW()) + " ";
  return s;
}

TEST(EditingViewProperties, FontFaceGoesToTheEditedCharactersOrSelectedTextsAsOneStep) {
  Fixture f(1);
  auto* text = MakeText(L"abcd", 12);
  auto* other = MakeText(L"ef", 12);
  f.view->GetShownPage()->AddShapeObject(text);
  f.view->GetShownPage()->AddShapeObject(other);
  const std::string before = FaceRuns(text), otherBefore = FaceRuns(other);
  const wchar_t* mono = L"DejaVu Sans Mono";

  // Faces that are no font of this computer, and nothing selected, change nothing.
  for (const wchar_t* face : {L"", L"No Such Face 123", mono}) EXPECT_FALSE(f.view->ApplyFontFace(face));
  EXPECT_FALSE(Shown(f.view, ID_FONT_FACE, true).first);

  // The edited characters 1 and 2; the face also becomes the one typing goes on with.
  f.view->UpdateEditingTool(&CPublicationView::g_EditingTextTool);
  CPublicationView::g_EditingTextTool.SetEditingText(text);
  CPublicationView::g_EditingTextTool.SetSelection(1, 3);
  f.doc.SetModifiedFlag(FALSE);
  SendEntered(f.view, ID_FONT_FACE, mono, true);
  EXPECT_EQ(FaceRuns(text).find("2:DejaVu Sans Mono") != std::string::npos, true) << FaceRuns(text);
  EXPECT_TRUE(f.doc.IsModified());
  EXPECT_EQ(Shown(f.view, ID_FONT_FACE, true), std::make_pair(true, CString(mono)));
  f.doc.OnEditUndo();
  EXPECT_EQ(FaceRuns(text), before);
  // No characters selected: no step, but typing takes the face.
  CPublicationView::g_EditingTextTool.SetSelection(2, 2);
  const CString undo = f.doc.GetUndoMenuText();
  EXPECT_FALSE(f.view->ApplyFontFace(L"DejaVu Serif"));
  EXPECT_EQ(f.doc.GetUndoMenuText(), undo);
  EXPECT_EQ(CPublicationView::g_EditingTextTool.GetCurrentFont().GetFontFaceNameW(), L"DejaVu Serif");
  f.view->UpdateEditingTool(nullptr);

  // Not editing: every selected text; one undo gives both their faces back.
  f.view->SelectRenderObject(text, false);
  f.view->SelectRenderObject(other, true);
  ASSERT_TRUE(f.view->ApplyFontFace(mono));
  EXPECT_EQ(Shown(f.view, ID_FONT_FACE, true), std::make_pair(true, CString(mono)));
  EXPECT_NE(FaceRuns(other), otherBefore);
  EXPECT_FALSE(f.view->ApplyFontFace(mono)) << "they have it already";
  f.doc.OnEditUndo();
  EXPECT_EQ(FaceRuns(text), before);
  EXPECT_EQ(FaceRuns(other), otherBefore);
}

}  // namespace

namespace {

// A gallery of `count` items (ids 0..count-1, or the given ids) as the ribbon holds it.
struct GalleryProbe {
  GalleryProbe(UINT id, int count, std::vector<int> ids = {}) : gallery(static_cast<int>(id)) {
    for (int i = 0; i < count; ++i) items.AddItem(L"item", ids.empty() ? i : ids[static_cast<size_t>(i)]);
    gallery.SetItems(&items);
  }
  // Runs the update rule on the gallery.
  void Update(CLeafwrightView* view) {
    CQORPCmdUI ui(&gallery);
    ui.m_nID = static_cast<UINT>(gallery.GetID());
    view->OnCmdMsg(ui.m_nID, CN_UPDATE_COMMAND_UI, &ui, nullptr);
  }
  // Picks item `index` and sends it as the ribbon does.
  void Pick(CLeafwrightView* view, int index) {
    gallery.SetSelectedItem(index);
    NMQORPCONTROL nm{};
    nm.hdr.idFrom = static_cast<UINT>(gallery.GetID());
    nm.hdr.code = QORP_CN_EXECUTE;
    nm.pControl = &gallery;
    LRESULT result = 0;
    AFX_NOTIFY notify{&result, &nm.hdr};
    view->OnCmdMsg(nm.hdr.idFrom, MAKELONG(QORP_CN_EXECUTE, WM_NOTIFY), &notify, nullptr);
    EXPECT_EQ(result, 1);
  }
  CQORPControlGalleryItems items;
  CQORPControlGallery gallery;
};

template <class A>
std::vector<int> IntValues(Quirebook::CDDrawTextObj* text) {
  std::vector<int> out;
  for (const auto& c : text->GetArrayOfTextCharacters()) out.push_back(static_cast<int>(A::Read(c)));
  return out;
}

std::vector<uint32_t> OutlineColours(Quirebook::CDDrawTextObj* text) {
  std::vector<uint32_t> out;
  for (const auto& c : text->GetArrayOfTextCharacters())
    out.push_back(Quirebook::CAccessTextObjStrokeColorProp::Read(c).crColor & 0xFFFFFF);
  return out;
}

TEST(EditingViewProperties, GalleriesAndDialogsServeTheEditedCharacters) {
  using namespace Quirebook;
  Fixture f(1);
  auto* text = MakeText(L"abcd", 12);
  f.view->GetShownPage()->AddShapeObject(text);
  auto* shape = new CPageShapeObj;
  shape->AddRectanglePath(Vectorloom::CQorVectorRect<float>(0, 0, 40, 30));
  shape->CreatePathStorage();
  f.view->GetShownPage()->AddShapeObject(shape);
  f.view->SelectRenderObject(shape, true);
  f.view->UpdateEditingTool(&CPublicationView::g_EditingTextTool);
  CPublicationView::g_EditingTextTool.SetEditingText(text);
  CPublicationView::g_EditingTextTool.SetSelection(1, 3);

  // Enabled while the text is edited, showing the selected characters' values.
  for (UINT id : {32779u, 32788u, 32791u, 32883u, 32780u, 32789u})
    EXPECT_TRUE(f.Update(id).enabled) << id;
  const std::vector<int> alphas = IntValues<CAccessTextObjFilledTransparencyProp>(text);
  GalleryProbe fill(32779, 6);
  fill.Update(f.view);
  EXPECT_TRUE(fill.gallery.GetEnabled());
  EXPECT_EQ(fill.gallery.GetSelectedItemShown(), TransparencyGalleryIndex(alphas[1]));

  // A pick changes the selected characters as one step; the gallery then shows it.
  fill.Pick(f.view, 3);
  EXPECT_EQ(IntValues<CAccessTextObjFilledTransparencyProp>(text), std::vector<int>({alphas[0], 128, 128, alphas[3]}));
  EXPECT_EQ(f.doc.GetUndoMenuText(), L"Undo Change Filled Transparency");
  fill.Update(f.view);
  EXPECT_EQ(fill.gallery.GetSelectedItemShown(), 3);
  f.doc.OnEditUndo();
  EXPECT_EQ(IntValues<CAccessTextObjFilledTransparencyProp>(text), alphas);
  GalleryProbe stroke(32788, 6);
  stroke.Pick(f.view, 1);
  EXPECT_EQ(IntValues<CAccessTextObjStrokeTransparencyProp>(text)[2], 32);
  EXPECT_EQ(f.doc.GetUndoMenuText(), L"Undo Change Stroked Transparency");

  // The stroke colour gallery: the characters take the colour, which becomes the current one;
  // the gallery checks it.
  GalleryProbe colours(32883, 1, {0x0000FF});
  colours.Pick(f.view, 0);
  EXPECT_EQ(OutlineColours(text)[1], 0x0000FFu);
  EXPECT_EQ(OutlineColours(text)[2], 0x0000FFu);
  EXPECT_NE(OutlineColours(text)[0], 0x0000FFu);
  EXPECT_EQ(f.doc.GetUndoMenuText(), L"Undo Change Stroke Color");
  colours.Update(f.view);
  EXPECT_TRUE(colours.gallery.GetEnabled());
  EXPECT_EQ(colours.gallery.GetCheckedItem(), 0x0000FF);

  // Stroke Needed changes the selected characters and the selected objects.
  const int shapeStroke = shape->GetStrokeOutlineFlag();
  const int charStroke = IntValues<CAccessTextObjStrokeOutlineFlagProp>(text)[1];
  f.view->OnCmdMsg(ViewCmd::kStrokeOutline, CN_COMMAND, nullptr, nullptr);
  EXPECT_NE(IntValues<CAccessTextObjStrokeOutlineFlagProp>(text)[1], charStroke);
  EXPECT_EQ(shape->GetStrokeOutlineFlag(), IntValues<CAccessTextObjStrokeOutlineFlagProp>(text)[1] ? 1 : 0);
  EXPECT_NE(shape->GetStrokeOutlineFlag(), shapeStroke);

  // Add Text shows checked while a text is edited or drawn, not with the selection tool.
  EXPECT_EQ(f.Update(ViewCmd::kInsertText).checked, 1);
  f.view->UpdateEditingTool(&CPublicationView::g_DrawTextTool);
  EXPECT_EQ(f.Update(ViewCmd::kInsertText).checked, 1);
  f.view->UpdateEditingTool(nullptr);
  EXPECT_EQ(f.Update(ViewCmd::kInsertText).checked, 0);

  // Custom Width and Custom Angle stay enabled with nothing selected.
  f.view->DeseleteAllRenderObjects();
  EXPECT_TRUE(f.Update(ViewCmd::kCustomStrokeWidth).enabled);
  EXPECT_TRUE(f.Update(ViewCmd::kCustomRotation).enabled);
}

TEST(EditingViewProperties, FontComboShowsTheSelectedCharactersFace) {
  Fixture f(1);
  auto* text = MakeText(L"abcd", 12);
  f.view->GetShownPage()->AddShapeObject(text);
  f.view->UpdateEditingTool(&CPublicationView::g_EditingTextTool);
  CPublicationView::g_EditingTextTool.SetEditingText(text);
  CPublicationView::g_EditingTextTool.SetSelection(1, 3);
  ASSERT_TRUE(f.view->ApplyFontFace(L"DejaVu Sans Mono"));
  // Typing goes on in another face; the combo shows the selected characters' face.
  CPublicationView::g_EditingTextTool.SetSelection(3, 3);
  f.view->ApplyFontFace(L"DejaVu Serif");
  EXPECT_EQ(Shown(f.view, ID_FONT_FACE, true).second, CString(L"DejaVu Serif"));
  CPublicationView::g_EditingTextTool.SetSelection(1, 3);
  EXPECT_EQ(Shown(f.view, ID_FONT_FACE, true).second, CString(L"DejaVu Sans Mono"));
  // Mixed faces: the face typing uses.
  CPublicationView::g_EditingTextTool.SetSelection(0, 3);
  EXPECT_EQ(Shown(f.view, ID_FONT_FACE, true).second, CString(L"DejaVu Serif"));
  f.view->UpdateEditingTool(nullptr);
}

TEST(EditingViewZoom, StatusBarSliderAndText) {
  // Positions and zooms of the slider, both ways.
  const struct {
    int pos;
    float zoom;
  } marks[] = {{0, 10}, {250, 55}, {500, 100}, {560, 184}, {1000, 800}};
  for (const auto& m : marks) {
    EXPECT_FLOAT_EQ(ZoomFromSliderPos(m.pos), m.zoom) << m.pos;
    EXPECT_EQ(SliderPosFromZoom(m.zoom), m.pos) << m.zoom;
  }
  EXPECT_EQ(SliderPosFromZoom(400), 714);
  EXPECT_EQ(SliderPosFromZoom(12.5f), 13);
  // The text: whole percents without decimals, else tenths.
  const struct {
    float zoom;
    const wchar_t* text;
  } texts[] = {{100, L"100%"}, {12.5f, L"12.5%"}, {33.33f, L"33.3%"}, {400, L"400%"}, {100.0f / 6.0f, L"16.6%"}};
  for (const auto& t : texts) EXPECT_EQ(ZoomPaneText(t.zoom), CString(t.text)) << t.zoom;
  // The slider's scroll codes.
  const struct {
    float zoom;
    int code, pos;
    float after;
  } codes[] = {
      {100, SB_LINELEFT, 0, 90},     {15, SB_LINELEFT, 0, 10},      {100, SB_LINERIGHT, 0, 110},
      {795, SB_LINERIGHT, 0, 800},   {100, SB_PAGELEFT, 0, 90},     {100, SB_PAGERIGHT, 0, 110},
      {100, SB_THUMBTRACK, 560, 184}, {184, SB_THUMBTRACK, 520, 100}, {100, SB_THUMBTRACK, 0, 10},
      {100, SB_LEFT, 0, 12.5f},      {100, SB_RIGHT, 0, 800},       {100, SB_ENDSCROLL, 900, 100},
      {100, SB_THUMBPOSITION, 900, 100},
  };
  for (const auto& c : codes) EXPECT_FLOAT_EQ(ZoomForSliderCode(c.zoom, c.code, c.pos), c.after) << c.code << " " << c.pos;
  // The view's own pane text follows the same rule.
  Fixture f(1);
  f.view->ZoomView(100);
  EXPECT_EQ(f.Update(ID_INDICATOR_ZOOM).text, L"100%");
}

TEST(EditingViewPages, PageKeysAndWheelScrollThenTurnThePage) {
  const struct {
    int y, maxY, dy, page, pages;
    int turn, scrollY;
    bool toEnd;
  } cases[] = {
      {0, 0, 100, 0, 3, 1, 0, false},      // the page fits: the next page
      {0, 0, -100, 1, 3, -1, 0, true},     // the previous page, from its bottom
      {0, 0, -100, 0, 3, 0, 0, false},     // the first page stays
      {0, 0, 100, 2, 3, 0, 0, false},      // so does the last
      {0, 900, 400, 0, 3, 0, 400, false},  // a tall page scrolls first
      {700, 900, 400, 0, 3, 0, 900, false},
      {900, 900, 400, 0, 3, 1, 0, false},  // then turns at the end
      {300, 900, -400, 1, 3, 0, 0, false},
      {0, 900, -400, 1, 3, -1, 0, true},
  };
  for (const auto& c : cases) {
    const PageScrollStep s = StepPageScroll(c.y, c.maxY, c.dy, c.page, c.pages);
    EXPECT_EQ(s.nPageDelta, c.turn) << c.y << " " << c.dy << " page " << c.page;
    EXPECT_EQ(s.nScrollY, c.scrollY) << c.y << " " << c.dy << " page " << c.page;
    EXPECT_EQ(s.bToEnd, c.toEnd) << c.y << " " << c.dy << " page " << c.page;
  }
}

TEST(RibbonNumbers, ShowAsAPersonTypesThem) {
  const struct {
    float value;
    const wchar_t* text;
  } cases[] = {{0.0f, L"0"},   {-0.0f, L"0"},   {-0.001f, L"0"}, {1.5f, L"1.5"},  {-2.25f, L"-2.25"},
               {11.9f, L"11.9"}, {12.0f, L"12"}, {10.0f, L"10"}, {1.0f / 3, L"0.33"}, {100.05f, L"100.05"}};
  for (const auto& c : cases) EXPECT_EQ(FormatControlNumber(c.value), c.text) << c.value;
}

}  // namespace

// A page read only when it is first shown (past the pages read at the open) tells then what it
// left out, and a page that cannot be read at all is said to be shown empty, once.
TEST(EditingViewPages, APageReadWhenShownTellsWhatItLeftOut) {
  lwtest::TempDir dir;
  setenv("HOME", dir.path().c_str(), 1);
  lwtest::PdfBuilder b;
  const int mask = b.AddStream("/Type /XObject /Subtype /Image /Width 60000 /Height 60000 /ColorSpace /DeviceGray "
                               "/BitsPerComponent 8",
                               std::vector<uint8_t>(4, 0));
  const int img = b.AddStream("/Type /XObject /Subtype /Image /Width 1 /Height 1 /ColorSpace /DeviceRGB "
                              "/BitsPerComponent 8 /SMask " + std::to_string(mask) + " 0 R",
                              std::vector<uint8_t>{1, 2, 3});
  const int first = CLeafwrightDoc::kLoadedAtOpen + 1;  // the first page read when shown
  std::vector<std::string> contents(first + 1, "0 0 1 rg 5 5 20 20 re f");
  contents[first - 1] += " q 9 0 0 9 50 50 cm /Im1 Do Q";
  lwtest::WriteFileBytes(dir / "doc.pdf",
                         b.FinishPages(contents, "<< /XObject << /Im1 " + std::to_string(img) + " 0 R >> >>"));
  CLeafwrightDoc doc;
  doc.m_bAutoDelete = FALSE;
  ASSERT_TRUE(doc.OnOpenDocument(lw::Utf8ToWide((dir / "doc.pdf").string()).c_str()));
  ASSERT_EQ(doc.GetPagesCount(), first + 1);
  Host host;
  auto* view = new CLeafwrightView;
  view->m_pDocument = &doc;
  view->SetViewHost(&host);
  view->OnUpdate(nullptr, 3, nullptr);
  lwmfc::SetMessageBoxHook(&RecordInsertMessage);
  g_insertMessages.clear();
  const std::wstring head = L"Some content of this document could not be shown and was left out:\n";

  view->GoToPage(1);
  EXPECT_TRUE(g_insertMessages.empty()) << "a page read at the open";
  view->GoToPage(first - 1);
  EXPECT_EQ(g_insertMessages,
            std::vector<std::wstring>{head + L"Page " + std::to_wstring(first) + L": an image of 60,000 x 60,000 pixels was left out"});
  view->GoToPage(0);
  view->GoToPage(first - 1);
  EXPECT_EQ(g_insertMessages.size(), 1u) << "told once";

  // A page that cannot be read: its source refuses it (the file has gone).
  g_insertMessages.clear();
  CDrawingPage* last = doc.GetDrawingPage(first);
  ASSERT_FALSE(last->IsPageContentLoaded());
  auto* other = new CCachePdfPageContent((dir / "gone.pdf").wstring().c_str());
  other->AddRef();
  last->SetPageSourceContent(other);
  view->GoToPage(first);
  EXPECT_EQ(g_insertMessages,
            std::vector<std::wstring>{head + L"Page " + std::to_wstring(first + 1) + L": the page cannot be read and is shown empty"});
  view->GoToPage(0);
  view->GoToPage(first);
  EXPECT_EQ(g_insertMessages.size(), 1u) << "told once";
  lwmfc::SetMessageBoxHook(nullptr);
  view->m_pDocument = nullptr;
  delete view;
  doc.DeleteContents();
  other->Release();
}
