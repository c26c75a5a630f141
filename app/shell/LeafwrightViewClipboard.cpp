// The editing view's clipboard commands: Copy, Cut, Paste and Delete of the selected objects.
#include <afxwin.h>

#include <cstring>
#include <string>
#include <vector>

#include <lwstr.h>
#include <quirebook/TextTools.h>

#include <quirebook/PublicationDoc.h>
#include <vectorloom/RenderPage.h>

#include "../../resources/resource.h"
#include "ClipboardFormat.h"
#include "ClipboardStream.h"
#include "LeafwrightDoc.h"
#include "LeafwrightView.h"

using namespace Vectorloom;

namespace {

CString LoadText(UINT id) {
  CString s;
  s.LoadString(id);
  return s;
}

// The clipboard opened for the length of one command.
class COpenClipboard {
 public:
  explicit COpenClipboard(HWND owner) : m_bOpen(::OpenClipboard(owner) != FALSE) {}
  ~COpenClipboard() {
    if (m_bOpen) ::CloseClipboard();
  }
  bool IsOpen() const { return m_bOpen; }

 private:
  bool m_bOpen;
};

std::vector<uint8_t> BlockBytes(HANDLE block) {
  std::vector<uint8_t> bytes;
  if (!block) return bytes;
  const SIZE_T size = GlobalSize(block);
  if (const auto* p = static_cast<const uint8_t*>(GlobalLock(block))) {
    bytes.assign(p, p + size);
    GlobalUnlock(block);
  }
  return bytes;
}

}  // namespace

void CLeafwrightView::CollectSelectionInPageOrder(CRenderBaseObjectList& out) const {
  if (!m_pRenderPage) return;
  for (CRenderBaseObj* obj : m_pRenderPage->GetRenderObjectList())
    if (IsObjectSelected(obj)) out.AddElement(obj);
}

bool CLeafwrightView::CopySelectionToClipboard() {
  CPublicationDoc* doc = dynamic_cast<CPublicationDoc*>(m_pDocument);
  CRenderBaseObjectList objects;
  CollectSelectionInPageOrder(objects);
  std::vector<uint8_t> stream;
  if (!doc || objects.IsEmpty() || !WriteClipboardStream(objects, *doc, stream)) return false;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, stream.size());
  if (!block) return false;
  std::memcpy(GlobalLock(block), stream.data(), stream.size());
  GlobalUnlock(block);
  COpenClipboard clipboard(GetSafeHwnd());
  if (!clipboard.IsOpen() || !::EmptyClipboard() || !::SetClipboardData(GetLeafwrightClipboardFormat(), block)) {
    GlobalFree(block);
    return false;
  }
  return true;
}

bool CLeafwrightView::PasteFromClipboard() {
  CPublicationDoc* doc = dynamic_cast<CPublicationDoc*>(m_pDocument);
  if (!doc || !m_pRenderPage) return false;
  const UINT format = GetLeafwrightClipboardFormat();
  CRenderBaseObjectList pasted;
  if (::IsClipboardFormatAvailable(format)) {
    std::vector<uint8_t> stream;
    {
      COpenClipboard clipboard(GetSafeHwnd());
      if (!clipboard.IsOpen()) return false;
      stream = BlockBytes(::GetClipboardData(format));
    }
    if (!ReadClipboardStream(stream.data(), stream.size(), *doc, pasted)) return false;
    return PasteObjsFromClipboard(pasted) != FALSE;
  }
  if (::IsClipboardFormatAvailable(CF_DIB)) {
    if (!PasteDIB(pasted, 0)) return false;
    return PasteObjsFromClipboard(pasted) != FALSE;
  }
  if (IsEditingText() && ::IsClipboardFormatAvailable(CF_UNICODETEXT)) {
    std::u16string units;
    {
      COpenClipboard clipboard(GetSafeHwnd());
      if (!clipboard.IsOpen()) return false;
      const std::vector<uint8_t> block = BlockBytes(::GetClipboardData(CF_UNICODETEXT));
      units = ReadClipboardText(block.data(), block.size());
    }
    const std::wstring text = lw::Utf8ToWide(lw::Utf16ToUtf8(units));
    return CPublicationView::g_EditingTextTool.InsertText(this, text);
  }
  return false;
}

void CLeafwrightView::OnEditCopy() {
  if (GetSelectedObjectsCount() > 0 && !CopySelectionToClipboard())
    AfxMessageBox(LoadText(IDS_COPY_FAILED), MB_ICONHAND);
}

void CLeafwrightView::OnEditCut() {
  if (GetSelectedObjectsCount() == 0) return;
  if (!CopySelectionToClipboard()) {
    AfxMessageBox(LoadText(IDS_COPY_FAILED), MB_ICONHAND);
    return;  // nothing is deleted that is not on the clipboard
  }
  OnEditClear();
}

void CLeafwrightView::OnEditPaste() {
  if (!PasteFromClipboard())
    AfxMessageBox(LoadText(IDS_PASTE_FAILED), MB_ICONHAND);
}

void CLeafwrightView::OnEditClear() {
  if (GetSelectedObjectsCount() == 0) return;
  if (MessageBox(LoadText(IDS_DELETE_SELECTED), LoadText(AFX_IDS_APP_TITLE), MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  DoEditClear();
}

void CLeafwrightView::OnUpdateEditSelection(CCmdUI* pCmdUI) { pCmdUI->Enable(GetSelectedObjectsCount() > 0); }

void CLeafwrightView::OnUpdateEditPaste(CCmdUI* pCmdUI) {
  pCmdUI->Enable(m_pRenderPage && (::IsClipboardFormatAvailable(GetLeafwrightClipboardFormat()) ||
                                   ::IsClipboardFormatAvailable(CF_DIB) ||
                                   (IsEditingText() && ::IsClipboardFormatAvailable(CF_UNICODETEXT))));
}
