// The program's document manager: its file prompt (used by Save As) offers only the document
// templates' file types, without an entry for all files.
#pragma once

#include <afxdlgs.h>
#include <afxwin.h>

class CMyDocManager : public CDocManager {
  DECLARE_DYNAMIC(CMyDocManager)
 public:
  // A file dialog titled by string nIDSTitle (a missing string throws CInvalidArgException*),
  // flags OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | lFlags, the filter of pTemplate or of every
  // template. The proposed extension is the first one of the filter in lower case, added to a
  // typed name that has none (an extension in any case counts). TRUE with the chosen path in
  // fileName when the dialog returned IDOK.
  BOOL DoPromptFileName(CString& fileName, UINT nIDSTitle, DWORD lFlags, BOOL bOpenFileDialog,
                        CDocTemplate* pTemplate) override;
};

// Appends a template's filter entry to strFilter: its filter name, '\0', "*.ext" for each
// extension of its ';'-separated extension string joined by ';', '\0'. Nothing when the name or
// the extension string is empty. With pstrDefaultExt: it is emptied first, and the first
// extension (without its '.') goes there and into the dialog's default extension, the dialog's
// filter index becoming the number of entries so far + 1. The dialog's count of custom entries
// grows by one.
void AppendTemplateFilter(CDocTemplate* pTemplate, CFileDialog& dialog, CString* pstrDefaultExt, CString& strFilter);
