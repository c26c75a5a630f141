// The document manager's file prompt.
#include "MyDocManager.h"

#include <vector>

IMPLEMENT_DYNAMIC(CMyDocManager, CDocManager)

namespace {

// Entries already in a filter: each is two '\0'-ended strings.
int CountEntries(const CString& strFilter) {
  int nulls = 0;
  for (int i = 0; i < strFilter.GetLength(); ++i)
    if (strFilter[i] == L'\0') ++nulls;
  return nulls / 2;
}

}  // namespace

void AppendTemplateFilter(CDocTemplate* pTemplate, CFileDialog& dialog, CString* pstrDefaultExt, CString& strFilter) {
  CString strFilterExt, strFilterName;
  if (!pTemplate || !pTemplate->GetDocString(strFilterExt, CDocTemplate::filterExt) || strFilterExt.IsEmpty() ||
      !pTemplate->GetDocString(strFilterName, CDocTemplate::filterName) || strFilterName.IsEmpty())
    return;
  if (pstrDefaultExt) pstrDefaultExt->Empty();
  const int entriesSoFar = CountEntries(strFilter);
  strFilter += strFilterName;
  strFilter += L'\0';
  int start = 0;
  while (start <= strFilterExt.GetLength()) {
    int end = strFilterExt.Find(L';', start);
    if (end < 0) end = strFilterExt.GetLength();
    const CString token = strFilterExt.Mid(start, end - start);
    start = end + 1;
    if (token.IsEmpty()) continue;
    if (pstrDefaultExt && pstrDefaultExt->IsEmpty()) {
      *pstrDefaultExt = token.Mid(1);
      dialog.m_ofn.lpstrDefExt = pstrDefaultExt->GetString();
      dialog.m_ofn.nFilterIndex = static_cast<DWORD>(entriesSoFar + 1);
    }
    strFilter += L'*';
    strFilter += token;
    strFilter += L';';
  }
  // The last ';' ends the entry.
  if (strFilter.GetLength() > 0 && strFilter[strFilter.GetLength() - 1] == L';')
    strFilter.SetAt(strFilter.GetLength() - 1, L'\0');
  else
    strFilter += L'\0';
  ++dialog.m_ofn.nMaxCustFilter;
}

BOOL CMyDocManager::DoPromptFileName(CString& fileName, UINT nIDSTitle, DWORD lFlags, BOOL bOpenFileDialog,
                                     CDocTemplate* pTemplate) {
  CFileDialog dlgFile(bOpenFileDialog, nullptr, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, nullptr, nullptr, 0,
                      TRUE);
  CString title;
  if (!title.LoadString(nIDSTitle)) AfxThrowInvalidArgException();
  dlgFile.m_ofn.Flags |= lFlags;

  CString strFilter, strDefault;
  if (pTemplate) {
    AppendTemplateFilter(pTemplate, dlgFile, &strDefault, strFilter);
  } else {
    POSITION pos = GetFirstDocTemplatePosition();
    bool bFirst = true;
    while (pos) {
      CDocTemplate* pT = GetNextDocTemplate(pos);
      AppendTemplateFilter(pT, dlgFile, bFirst ? &strDefault : nullptr, strFilter);
      bFirst = false;
    }
  }
  // The stored extension is upper case (".LFW"); on a file system that tells case apart the
  // name gets the lower-case one, and the dialog's patterns match either case.
  CString strProposedExt(strDefault);
  strProposedExt.MakeLower();
  dlgFile.m_ofn.lpstrDefExt = strProposedExt.IsEmpty() ? nullptr : strProposedExt.GetString();

  strFilter += L'\0';  // the list ends with an empty string
  dlgFile.m_ofn.lpstrFilter = strFilter.GetString();
  dlgFile.m_ofn.lpstrTitle = title.GetString();
  std::vector<wchar_t> buffer(dlgFile.m_ofn.nMaxFile, L'\0');
  const int n = std::min<int>(fileName.GetLength(), static_cast<int>(buffer.size()) - 1);
  for (int i = 0; i < n; ++i) buffer[static_cast<size_t>(i)] = fileName[i];
  dlgFile.m_ofn.lpstrFile = buffer.data();

  const INT_PTR nResult = dlgFile.DoModal();
  if (nResult == IDOK) fileName = dlgFile.GetPathName();
  return nResult == IDOK;
}
