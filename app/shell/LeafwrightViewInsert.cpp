// The Insert commands of the editing view: a text box (through the text drawing tool), a picture
// from a file and a video clip shown by its first picture.
#include <afxdlgs.h>

#include <algorithm>
#include <cmath>
#include <string>

#include <clipdeck/Clipdeck.h>
#include <gdiplus/gdiplus.h>
#include <lwstr.h>
#include <quirebook/VideoStore.h>

#include "LeafwrightDoc.h"
#include "LeafwrightView.h"
#include "PageVideoObj.h"

namespace {

#define LW_TABS5 L"\t\t\t\t\t"

// The pictures the image layer reads (PNG, JPEG, BMP and GIF itself, TIFF through libtiff, the
// others through the toolkit's image handlers).
const wchar_t kImageFilter[] =
    L"All Supported Formats|*.gif;*.bmp;*.dib;*.jpg;*.jpeg;*.pcx;*.png;*.tga;*.tiff;*.tif;*.ico;*.cur;*.ani"
    L"|GIF (Graphics Interchange Format)|*.gif|BMP (Windows Bitmap)|*.bmp;*.dib|JPG (JPEG File Interchange Format)|"
    L"*.jpg;*.jpeg|PCX (PC Paintbrush)|*.pcx|PNG (Portable Network Graphics)|*.png|TIFF (Tag Image File Format)|"
    L"*.tif;*.tiff|TGA Files (Targa File Format)|*.tga|ICO (Windows Icons)|*.ico|CUR (Windows Cursors)|*.cur|"
    L"ANI (Windows Animator Cursors)|*.ani||";

// The video filter's entries: description and patterns (the tab runs only align the old dialog).
const wchar_t* const kVideoFilterPairs[][2] = {
    {L"All Supported Files (*.*)", L"*.*;"},
    {L"All Supported Video Files(*.3gp;*.3g2;*.asf;*.avi;*.dv;*.dif;*.vob;*.flv;*.m2ts;*.mts;*.m4v;*.mp4;*.swf;*.mkv;"
     L"*.dvr-ms;*.mjpg;\t\t\t\t\t\t  *.cda;*.mjpeg;*.mod;*.mpg;*.mpeg;*.mpa;*.dat;*.ts;*.mpv;*.nut;*.nsv;*.mov;*.qt;"
     L"*.h261;*.h263;*.h264;)",
     L"*.3gp;*.3g2;*.asf;*.avi;" LW_TABS5 L"  *.dv;*.dif;*.vob;*.flv;*.m2ts;*.mts;*.m4v;*.mp4;*.swf;*.mkv;*.dvr-ms;*.mjpg;"
     L"*.cda;*.mjpeg;*.mod;*.mpg;*.mpeg;*.mpa;*.dat;*.ts;" LW_TABS5
     L"  *.mpv;*.nut;*.nsv;*.mov;*.qt;*.h261;*.h263;*.h264"},
    {L"3GPP Files (*.3gp)", L"*.3gp"},
    {L"3GPP2 Files (*.3g2)", L"*.3g2"},
    {L"Advanced Systems Format Files (*.asf)", L"*.asf;" LW_TABS5 L"   "},
    {L"Audio Video Interleave File (*.avi)", L"*.avi"},
    {L"Audio-Video Interleaved HD Video (*.avi)", L"*.avi"},
    {L"Digital Video Files (*.dv;*.dif)", L"*.dv;*.dif" LW_TABS5 L"   "},
    {L"DVD Video Files (*.vob)", L"*.vob"},
    {L"Flash Video Format (*.flv)", L"*.flv"},
    {L"H264/MPEG4 AVC Video(*.m2ts;*.mts)", L"*.m2ts;*.mts"},
    {L"AVCHD (*.mts;*.m2ts)", L"*.mts;*.m2ts" LW_TABS5 L"   "},
    {L"iTunes Video File (*.m4v)", L"*.m4v"},
    {L"Macromedia Flash Files (*.swf)", L"*.swf"},
    {L"Matroska Video (*.mkv)", L"*.mkv"},
    {L"Microsoft Digital Video Recording (*.dvr-ms)", L"*.dvr-ms" LW_TABS5 L"   "},
    {L"MJPEG Video Files (*.mjpg;*.mjpeg)", L"*.mjpg;*.mjpeg"},
    {L"JVC Recorded Video File(*.mod)", L"*.mod"},
    {L"MPEG Video Files (*.mpg;*.mpeg;*.mpa;*.dat)", L"*.mpg;*.mpeg;*.mpa;*.dat" LW_TABS5 L"   "},
    {L"MPEG2 HD Video(*.mpg;*.mpeg;)", L"*.mpg;*.mpeg"},
    {L"MPEG4 HD Video(*.mp4)", L"*.mp4"},
    {L"MPEG4 TS HD Video(*.ts)", L"*.ts"},
    {L"MPEG4 Video Files (*.mp4)", L"*.mp4" LW_TABS5 L"   "},
    {L"MPV Files (*.mpv)", L"*.mpv"},
    {L"NUT Files (*.nut)", L"*.nut"},
    {L"Nullsoft stream video (*.nsv)", L"*.nsv"},
    {L"Quick Time Files (*.mov;*.qt)", L"*.mov;*.qt"},
    {L"Quick Time HD Video (*.mov)", L"*.mov" LW_TABS5 L"   "},
    {L"Raw h261 Files (*.h261)", L"*.h261"},
    {L"Raw h264 Video Files (*.h264)", L"*.h264"},
    {L"Real Media Files (*.rm;*.rmvb;*.ram)", L"*.rm;*.rmvb;*.ram"},
    {L"VCD Video File (*.dat)", L"*.dat" LW_TABS5 L"   "},
    {L"Video Transport Stream File (*.ts)", L"*.ts"},
    {L"VOB HB Video (*.vob)", L"*.vob"},
    {L"Windows Media Video Files (*.wmv;*.asf)", L"*.wmv;*.asf"},
    {L"WMV HD Video (*.xwmv)", L"*.xwmv" LW_TABS5 L"   "},
    {L"YUV Video File (*.yuv)", L"*.yuv"},
    {L"All Supported Audio Files (*.aac;*.aif;*.aiff;*.ac3;*.ape;*.au;*.flac;*.mpa;)",
     L"*.aac;*.aif;*.aiff;*.ac3;*.ape;*.au;*.flac;*.mpa"},
};

std::wstring VideoFilter() {
  std::wstring filter;
  for (const auto& pair : kVideoFilterPairs) {
    if (!filter.empty()) filter += L'|';
    filter += pair[0];
    filter += L'|';
    filter += pair[1];
  }
  return filter + L"||";
}

}  // namespace

bool FitVideoOnPage(int nPosterWidth, int nPosterHeight, float fPageWidth, float fPageHeight, VideoPlacement& out) {
  if (nPosterWidth <= 0 || nPosterHeight <= 0) return false;
  const int a = static_cast<int>(fPageWidth * 0.8f + 0.5f);
  const int b = static_cast<int>(fPageHeight * 0.8f + 0.5f);
  const float scale = std::min({static_cast<float>(a) / static_cast<float>(nPosterWidth),
                                static_cast<float>(b) / static_cast<float>(nPosterHeight), 1.0f});
  out.cx = static_cast<int>(static_cast<float>(nPosterWidth) * scale + 0.5f);
  out.cy = static_cast<int>(static_cast<float>(nPosterHeight) * scale + 0.5f);
  out.x = (fPageWidth - static_cast<float>(out.cx)) * 0.5f;
  out.y = (fPageHeight - static_cast<float>(out.cy)) * 0.5f;
  return out.cx > 0 && out.cy > 0;
}

void CLeafwrightView::OnInsertText() { UpdateEditingTool(&g_DrawTextTool); }

void CLeafwrightView::OnInsertImage() {
  OnDefaultMode();
  CFileDialog dlg(TRUE, nullptr, nullptr, 0x5044, kImageFilter, this);
  if (dlg.DoModal() != IDOK) return;
  InsertImageFile(dlg.GetPathName());
}

bool CLeafwrightView::InsertImageFile(const wchar_t* lpszPath) {
  if (DoImportImage(lpszPath, 0)) return true;
  if (!GetDocument() || !m_pRenderPage || !lpszPath) return false;
  // Why: the picture read again on its own.
  Gdiplus::Bitmap picture(lpszPath, FALSE);
  const Gdiplus::Status status = picture.GetLastStatus();
  CString reason = L"The picture could not be added to the page.";
  if (status == Gdiplus::FileNotFound || status == Gdiplus::Win32Error)
    reason = L"The file cannot be read.";
  else if (status == Gdiplus::UnknownImageFormat)
    reason = L"Leafwright reads PNG, JPEG, BMP, GIF, TIFF, PCX, TGA, ICO, CUR and ANI pictures.";
  else if (status == Gdiplus::OutOfMemory)
    reason = L"The picture is too large.";
  else if (status != Gdiplus::Ok)
    reason = L"The picture is damaged.";
  CString text;
  text.Format(L"Could not insert the picture \"%s\".\n%s", lpszPath, reason.GetString());
  MessageBox(text, L"Add Image", MB_OK | MB_ICONEXCLAMATION);
  return false;
}

void CLeafwrightView::OnInsertVideo() {
  const std::wstring filter = VideoFilter();
  CFileDialog dlg(TRUE, nullptr, nullptr, 0x1004, filter.c_str(), this);
  if (dlg.DoModal() != IDOK) return;
  InsertVideoClip(dlg.GetPathName());
}

Vectorloom::CRenderBaseObj* CLeafwrightView::InsertVideoClip(const wchar_t* lpszPath) {
  CLeafwrightDoc* doc = GetDocument();
  if (!doc || !m_pRenderPage || !lpszPath) return nullptr;
  auto* video = new CPageVideoObj;
  video->AddRef();
  video->SetVideoFullPathName(lpszPath);  // opened as chosen, whatever its length or characters
  // The first picture of the clip becomes the object's fill.
  Vectorloom::CBitmapResObj* poster = nullptr;
  if (Quirebook::SetVideoPoster(video)) poster = video->GetFillDefinition().GetRenderBitmap();
  Gdiplus::Bitmap* bitmap = poster ? poster->GetGdiBitmap() : nullptr;
  VideoPlacement at;
  if (!bitmap || bitmap->GetLastStatus() != Gdiplus::Ok ||
      !FitVideoOnPage(static_cast<int>(bitmap->GetWidth()), static_cast<int>(bitmap->GetHeight()),
                      GetRenderPageSize().cx, GetRenderPageSize().cy, at)) {
    video->Release();
    return nullptr;
  }
  video->SetFillInsideFlag(1);
  video->SetVideoObjectSize({static_cast<float>(at.cx), static_cast<float>(at.cy)});
  video->SetTransMatrix(Vectorloom::CQorTransMatrix(1, 0, 0, 1, at.x, at.y), false);
  video->CreatePathStorage();
  video->RecalcuLayout();
  // One undoable step that marks the document modified, the video selected alone.
  RestorePrevScene();
  DestroyPreviewScene();
  AddShapeObj(video, L"Add Video");
  doc->UpdateAllViews(nullptr, 2, Vectorloom::CWorkspaceDoc::PageHint(m_pRenderPage));
  video->Release();
  return video;
}

void CLeafwrightView::OnUpdateInsert(CCmdUI* pCmdUI) {
  pCmdUI->Enable(m_pRenderPage != nullptr);
  // Add Text shows checked while a text is being drawn or edited.
  if (pCmdUI->m_nID == ViewCmd::kInsertText)
    pCmdUI->SetCheck(GetEditingTool() == &g_DrawTextTool || IsEditingText() ? 1 : 0);
}
