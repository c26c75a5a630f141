#include <afxwin.h>

#include <cerrno>
#include <cstdint>

#include <algorithm>

#include <lwreplace.h>

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)
IMPLEMENT_DYNAMIC(CDocument, CCmdTarget)

CDocumentHooks& CDocument::Hooks() {
  static CDocumentHooks hooks;
  return hooks;
}

CDocument::CDocument() : m_pDocTemplate(nullptr), m_bModified(FALSE), m_bAutoDelete(TRUE), m_bEmbedded(FALSE) {}

CDocument::~CDocument() {
  // Views still attached lose their document.
  while (!m_viewList.IsEmpty()) RemoveView(m_viewList.GetHead());
}

void CDocument::SetTitle(const wchar_t* lpszTitle) { m_strTitle = lpszTitle; }

void CDocument::SetPathName(const wchar_t* lpszPathName, BOOL bAddToMRU) {
  m_strPathName = lpszPathName;
  const int cut = std::max(m_strPathName.ReverseFind(L'\\'), m_strPathName.ReverseFind(L'/'));
  SetTitle(m_strPathName.Mid(cut + 1));
  if (bAddToMRU && Hooks().pfnAddToRecentFileList) Hooks().pfnAddToRecentFileList(m_strPathName);
}

BOOL CDocument::IsModified() { return m_bModified; }

void CDocument::SetModifiedFlag(BOOL bModified) { m_bModified = bModified; }

POSITION CDocument::GetFirstViewPosition() const { return m_viewList.GetHeadPosition(); }

CView* CDocument::GetNextView(POSITION& rPosition) const {
  if (!rPosition) return nullptr;
  return m_viewList.GetNext(rPosition);
}

void CDocument::AddView(CView* pView) {
  if (!pView || m_viewList.Find(pView)) return;
  m_viewList.AddTail(pView);
  if (Hooks().pfnViewAttached) Hooks().pfnViewAttached(pView, this);
  OnChangedViewList();
}

void CDocument::RemoveView(CView* pView) {
  POSITION pos = m_viewList.Find(pView);
  if (!pos) return;
  m_viewList.RemoveAt(pos);
  if (Hooks().pfnViewDetached) Hooks().pfnViewDetached(pView, this);
  OnChangedViewList();
}

void CDocument::UpdateAllViews(CView* pSender, LPARAM lHint, CObject* pHint) {
  auto update = Hooks().pfnUpdateView;
  if (!update) return;
  POSITION pos = GetFirstViewPosition();
  while (pos) {
    CView* pView = GetNextView(pos);
    if (pView != pSender) update(pView, pSender, lHint, pHint);
  }
}

void CDocument::OnChangedViewList() {}

void CDocument::DeleteContents() {}

BOOL CDocument::OnNewDocument() {
  DeleteContents();
  m_strPathName.Empty();
  SetModifiedFlag(FALSE);
  return TRUE;
}

namespace {

// A file opened for a save: its bytes go to a temporary file beside the target, which Close
// renames over the target once they are all on disk. Abort (or destruction without Close)
// removes the temporary file and leaves the target as it was.
class CReplacingFile : public CFile {
 public:
  ~CReplacingFile() override { CReplacingFile::Abort(); }

  BOOL Open(const wchar_t* lpszFileName, UINT, CFileException* pError = nullptr) override {
    Abort();
    if (!lpszFileName || !m_replacement.Begin(ToOsPath(lpszFileName))) {
      const int err = lpszFileName ? errno : ENOENT;
      if (pError) {
        pError->m_cause = CFileException::ErrnoToException(err);
        pError->m_lOsError = err;
        pError->m_strFileName = lpszFileName;
      }
      return FALSE;
    }
    m_hFile = reinterpret_cast<HANDLE>(static_cast<intptr_t>(m_replacement.Fd()));
    m_bCloseOnDelete = TRUE;
    SetFilePath(lpszFileName);
    return TRUE;
  }

  // Commits: throws CFileException* when the file could not be put in place (the target is
  // then unchanged).
  void Close() override {
    if (m_hFile == INVALID_HANDLE_VALUE) return;
    const CString name = GetFilePath();
    m_hFile = INVALID_HANDLE_VALUE;
    m_bCloseOnDelete = FALSE;
    if (!m_replacement.Commit()) CFileException::ThrowErrno(errno, name);
  }

  void Abort() override {
    m_hFile = INVALID_HANDLE_VALUE;
    m_bCloseOnDelete = FALSE;
    m_replacement.Abandon();
  }

 private:
  lw::FileReplacement m_replacement;  // owns the descriptor
};

}  // namespace

CFile* CDocument::GetFile(const wchar_t* lpszFileName, UINT nOpenFlags, CFileException* pError) {
  const bool replacing = (nOpenFlags & CFile::modeCreate) && !(nOpenFlags & CFile::modeNoTruncate);
  CFile* pFile = replacing ? new CReplacingFile : new CFile;
  if (!pFile->Open(lpszFileName, nOpenFlags, pError)) {
    delete pFile;
    return nullptr;
  }
  return pFile;
}

void CDocument::ReleaseFile(CFile* pFile, BOOL bAbort) {
  if (!pFile) return;
  if (bAbort) {
    pFile->Abort();
  } else {
    try {
      pFile->Close();
    } catch (...) {
      delete pFile;
      throw;
    }
  }
  delete pFile;
}

void CDocument::ReportSaveLoadException(const wchar_t* lpszPathName, CException* e, BOOL bSaving, UINT) {
  auto show = Hooks().pfnMessageBox;
  if (!show) return;
  const CString path = lpszPathName ? lpszPathName : L"";
  CString reason;
  if (auto* fe = dynamic_cast<CFileException*>(e)) {
    // A reader or writer that did not name the file still reports the document's path.
    CFileException named(fe->m_cause, fe->m_lOsError, fe->m_strFileName.IsEmpty() ? path.GetString() : fe->m_strFileName.GetString());
    reason = named.GetErrorMessage();
  } else if (e) {
    reason = e->GetErrorMessage();
  }
  if (reason.IsEmpty()) reason = L"An unexpected error occurred.";
  CString text = CString(bSaving ? L"Could not save \"" : L"Could not open \"") + path + L"\".\n" + reason;
  show(text, MB_OK | MB_ICONEXCLAMATION);
}

BOOL CDocument::OnOpenDocument(const wchar_t* lpszPathName) {
  CFileException fe;
  CFile* pFile = GetFile(lpszPathName, CFile::modeRead | CFile::shareDenyWrite, &fe);
  if (!pFile) {
    ReportSaveLoadException(lpszPathName, &fe, FALSE, 0);
    return FALSE;
  }
  DeleteContents();
  SetModifiedFlag();  // dirty while the content is read
  try {
    CArchive loadArchive(pFile, CArchive::load | CArchive::bNoFlushOnDelete);
    loadArchive.m_pDocument = this;
    if (pFile->GetLength() != 0) Serialize(loadArchive);
    loadArchive.Close();
    ReleaseFile(pFile, FALSE);
  } catch (CException* e) {
    ReleaseFile(pFile, TRUE);
    DeleteContents();
    ReportSaveLoadException(lpszPathName, e, FALSE, 0);
    e->Delete();
    return FALSE;
  }
  SetModifiedFlag(FALSE);
  return TRUE;
}

BOOL CDocument::OnSaveDocument(const wchar_t* lpszPathName) {
  CFileException fe;
  // A replacing file: the old file keeps every byte until the new one is complete.
  CFile* pFile = GetFile(lpszPathName, CFile::modeCreate | CFile::modeReadWrite | CFile::shareExclusive, &fe);
  if (!pFile) {
    ReportSaveLoadException(lpszPathName, &fe, TRUE, 0);
    return FALSE;
  }
  try {
    CArchive saveArchive(pFile, CArchive::store | CArchive::bNoFlushOnDelete);
    saveArchive.m_pDocument = this;
    Serialize(saveArchive);
    saveArchive.Close();
  } catch (CException* e) {
    ReleaseFile(pFile, TRUE);
    ReportSaveLoadException(lpszPathName, e, TRUE, 0);
    e->Delete();
    return FALSE;
  } catch (...) {
    ReleaseFile(pFile, TRUE);
    throw;
  }
  try {
    ReleaseFile(pFile, FALSE);  // puts the new file in place (and deletes pFile, also when it throws)
  } catch (CException* e) {
    ReportSaveLoadException(lpszPathName, e, TRUE, 0);
    e->Delete();
    return FALSE;
  }
  SetModifiedFlag(FALSE);
  return TRUE;
}

void CDocument::OnCloseDocument() {
  const BOOL bAutoDelete = m_bAutoDelete;
  m_bAutoDelete = FALSE;  // closing the frames must not delete the document under us
  if (Hooks().pfnCloseFrames) Hooks().pfnCloseFrames(this);
  m_bAutoDelete = bAutoDelete;
  DeleteContents();
  if (m_bAutoDelete) delete this;
}

void CDocument::OnDocumentEvent(DocumentEvent) {}

BOOL CDocument::DoSave(const wchar_t* lpszPathName, BOOL bReplace) {
  CString newName = lpszPathName;
  if (!lpszPathName) {
    newName = m_strPathName;
    auto prompt = Hooks().pfnPromptSaveName;
    if (!prompt || !prompt(this, newName, bReplace)) return FALSE;
  }
  // A failed save leaves the file under newName as it was (or absent): nothing to remove.
  if (!OnSaveDocument(newName)) return FALSE;
  if (bReplace) {
    SetPathName(newName);
    OnDocumentEvent(onAfterSaveDocument);
  }
  return TRUE;
}

BOOL CDocument::DoFileSave() {
  if (m_strPathName.IsEmpty()) return DoSave(nullptr);
  return DoSave(m_strPathName);
}

BOOL CDocument::SaveModified() {
  if (!IsModified()) return TRUE;
  CString name = m_strPathName.IsEmpty() ? m_strTitle : m_strPathName;
  CString prompt = CString(L"Save changes to ") + name + L"?";
  const int answer = Hooks().pfnMessageBox ? Hooks().pfnMessageBox(prompt, MB_YESNOCANCEL | MB_ICONEXCLAMATION) : IDCANCEL;
  if (answer == IDCANCEL) return FALSE;
  if (answer == IDYES) return DoFileSave();
  return TRUE;
}
