// The application object: program-wide state (screen resolution, default colours, the preset
// gradients, the object-name counters), the start-up sequence and the File Open command.
#pragma once

#include <afxwin.h>

#include <vector>

#include "LeafwrightAppState.h"
#include "LeafwrightDoc.h"
#include "PageBusiPage.h"

// The start-up defaults of new shapes.
inline constexpr COLORREF kDefaultFillColor = 0x00008000;    // RGB(0, 128, 0)
inline constexpr COLORREF kDefaultStrokeColor = 0x000099FF;  // RGB(255, 153, 0)
inline constexpr int kPresetGradientCount = 46;

// The File Open dialog's filter: the first entry also finds pages extracted to a page file.
inline constexpr const wchar_t* kOpenFileFilter =
    L"All Supported Formats|*.lfw;*.lfd;*.pdf|PDF (Adobe PDF File Format)|*.pdf|LFD (Norvane Leafwright File)|*.lfw||";
// The document template's description (resource 128).
inline constexpr const wchar_t* kDocTemplateString =
    L"Norvane Leafwright\n\nnewLfw\nNorvane Leafwright Files (*.LFW)\n.LFW\nQor_LEAFWRIGHT.Document\n"
    L"Norvane_LEAFWRIGHT.Document";
inline constexpr const wchar_t* kAppTitle = L"Norvane Leafwright";

// The 46 preset gradients: entry 0 runs from 0x11D43E at 0 to white at 4096; each entry has two to
// seven opaque stops in ascending position between 0 and 4096.
std::vector<Vectorloom::CLocalGradientColorsDefine> MakePresetGradients();

// The four name counters of new objects: each name takes the next number of its kind ("Shape-1",
// "Shape-2", ...), counted over the whole run, never reset by New or Open.
class CObjectNameCounters {
 public:
  CString NextShapeObjectName() { return Next(m_nShape, L"Shape-%d"); }
  CString NextImageObjectName() { return Next(m_nImage, L"Image-%d"); }
  CString NextGroupObjectName() { return Next(m_nGroup, L"Group-%d"); }
  CString NextTextObjectName() { return Next(m_nText, L"Text-%d"); }

 private:
  static CString Next(int& counter, const wchar_t* format) {
    CString s;
    s.Format(format, ++counter);
    return s;
  }
  int m_nShape = 0, m_nImage = 0, m_nGroup = 0, m_nText = 0;
};

class CLeafwrightApp : public CWinApp, public CObjectNameCounters {
 public:
  CLeafwrightApp();
  ~CLeafwrightApp() override;

  // The window comes first, on a blank page; a file named on the command line is opened once
  // it shows (OnIdle), with the progress in its status bar.
  BOOL InitInstance() override;
  int ExitInstance() override;
  BOOL OnIdle(LONG lCount) override;
  // The file of the command line, until it is opened.
  const CString& GetStartFile() const { return m_strStartFile; }

  // Asks for a PDF or document file and opens it.
  afx_msg void OnFileOpen();
  // The About dialog, in the current theme's skin.
  afx_msg void OnAppAbout();
  // Exit (the backstage's last command): closes the main window as its close box does.
  afx_msg void OnAppExit();
  // A recent-file item is enabled while the list holds a file for it.
  afx_msg void OnUpdateRecentFile(CCmdUI* pCmdUI);

  const std::vector<Vectorloom::CLocalGradientColorsDefine>& GetPresetGradients() const { return m_gradients; }
  // True while the program starts: the first New makes its blank page without asking.
  BOOL m_bStartupNewDocument = TRUE;
  int m_nScreenDpiX = 96, m_nScreenDpiY = 96;

 protected:
  DECLARE_MESSAGE_MAP()

 private:
  CDefaultLeafwrightAppState m_state;
  std::vector<Vectorloom::CLocalGradientColorsDefine> m_gradients;
  ULONG_PTR m_gdiplusToken = 0;
  CString m_strStartFile;
};

CLeafwrightApp* GetLeafwrightApp();
