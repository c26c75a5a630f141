// Frames (command routing, the active view, the update pass), the routing part of views, and
// the application object that ends the routing and runs idle work.
#include <algorithm>

#include <wx/frame.h>

#include "wnd_state.h"

IMPLEMENT_DYNCREATE(CFrameWnd, CWnd)
IMPLEMENT_DYNAMIC(CView, CWnd)
IMPLEMENT_DYNAMIC(CWinThread, CCmdTarget)
IMPLEMENT_DYNAMIC(CWinApp, CWinThread)

namespace {

CWinApp* g_app = nullptr;

// The document reaches its views through these.
struct DocumentHooksInstaller {
  DocumentHooksInstaller() {
    CDocumentHooks& h = CDocument::Hooks();
    if (!h.pfnViewAttached) h.pfnViewAttached = [](CView* pView, CDocument* pDoc) { pView->m_pDocument = pDoc; };
    if (!h.pfnViewDetached)
      h.pfnViewDetached = [](CView* pView, CDocument* pDoc) {
        if (pView->m_pDocument == pDoc) pView->m_pDocument = nullptr;
      };
    if (!h.pfnUpdateView)
      h.pfnUpdateView = [](CView* pView, CView* pSender, LPARAM lHint, CObject* pHint) {
        pView->OnUpdate(pSender, lHint, pHint);
      };
  }
} g_documentHooksInstaller;

}  // namespace

const CRect CFrameWnd::rectDefault(0, 0, 0, 0);

CFrameWnd::CFrameWnd() : m_pViewActive(nullptr) {}

CFrameWnd::~CFrameWnd() = default;

BOOL CFrameWnd::Create(const wchar_t* lpszClassName, const wchar_t* lpszWindowName, DWORD dwStyle, const RECT& rect,
                       CWnd* pParentWnd, UINT nID, CCreateContext* pContext) {
  return CWnd::Create(lpszClassName, lpszWindowName, dwStyle, rect, pParentWnd, nID, pContext);
}

wxWindow* CFrameWnd::CreateWxWindow(wxWindow* pParent, const wchar_t* lpszWindowName, DWORD, const RECT& rect, UINT) {
  const bool useDefault = rect.right <= rect.left || rect.bottom <= rect.top;
  const wxPoint pos = useDefault ? wxDefaultPosition : wxPoint(rect.left, rect.top);
  const wxSize size = useDefault ? wxDefaultSize : wxSize(rect.right - rect.left, rect.bottom - rect.top);
  auto* frame = new wxFrame(pParent, wxID_ANY, lpszWindowName ? wxString(lpszWindowName) : wxString(), pos, size);
  lwwnd::BindFrameKeys(frame);  // accelerators from windows without a CWnd
  return frame;
}

void CFrameWnd::SetActiveView(CView* pViewNew, BOOL) {
  if (pViewNew && !pViewNew->m_bActivateOnClick) return;  // never the routing view
  m_pViewActive = pViewNew;
}

CDocument* CFrameWnd::GetActiveDocument() { return m_pViewActive ? m_pViewActive->GetDocument() : nullptr; }

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  if (CView* pView = m_pViewActive)
    if (pView->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  if (CWinApp* pApp = AfxGetApp())
    if (pApp->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  return FALSE;
}

void CFrameWnd::OnUpdateCmdUIAll() {
  const auto passes = m_updatePasses;  // a pass may register or remove passes
  for (const auto& pass : passes) pass.first(this, pass.second);
}

void CFrameWnd::AddUpdatePass(PFN_UPDATEPASS pfn, void* pContext) {
  if (!pfn) return;
  const auto entry = std::make_pair(pfn, pContext);
  if (std::find(m_updatePasses.begin(), m_updatePasses.end(), entry) == m_updatePasses.end())
    m_updatePasses.push_back(entry);
}

void CFrameWnd::RemoveUpdatePass(PFN_UPDATEPASS pfn, void* pContext) {
  const auto entry = std::make_pair(pfn, pContext);
  m_updatePasses.erase(std::remove(m_updatePasses.begin(), m_updatePasses.end(), entry), m_updatePasses.end());
}

// ---------------------------------------------------------------------------------------------

CView::CView() : m_bActivateOnClick(TRUE), m_pDocument(nullptr) {}

CView::~CView() {
  if (m_pDocument) m_pDocument->RemoveView(this);
}

BOOL CView::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  return m_pDocument && m_pDocument->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

void CView::OnUpdate(CView*, LPARAM, CObject*) { Invalidate(TRUE); }

void CView::ActivateOnClick() {
  if (m_bActivateOnClick)
    if (CFrameWnd* pFrame = GetParentFrame()) pFrame->SetActiveView(this);
  if (GetFocus() != this) SetFocus();
}

// ---------------------------------------------------------------------------------------------

BOOL CWinThread::OnIdle(LONG lCount) {
  if (lCount <= 0)
    if (CFrameWnd* pFrame = dynamic_cast<CFrameWnd*>(GetMainWnd())) pFrame->OnUpdateCmdUIAll();
  return FALSE;
}

CWinApp::CWinApp(const wchar_t* lpszAppName) : m_pszAppName(lpszAppName) { g_app = this; }

CWinApp::~CWinApp() {
  delete m_pDocManager;
  m_pDocManager = nullptr;
  if (g_app == this) g_app = nullptr;
}

CWinApp* AfxGetApp() { return g_app; }

CWnd* AfxGetMainWnd() { return g_app ? g_app->GetMainWnd() : nullptr; }
