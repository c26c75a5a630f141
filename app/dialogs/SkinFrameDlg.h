// The skinned frame of the shell's dialogs: CSkinFrameDlg<CNewPdfDlg> dlg(...); dlg.DoModal();
// Making it loads the current theme's dialog skin; its end unloads the skin before the dialog's
// own destructor runs.
#pragma once

#include <utility>

#include "Themes.h"

template <class T>
class CSkinFrameDlg : public T {
 public:
  template <class... Args>
  explicit CSkinFrameDlg(Args&&... args) : T(std::forward<Args>(args)...) {
    ApplyDialogSkin();
  }
  ~CSkinFrameDlg() override { UnloadDialogSkin(); }
  CSkinFrameDlg(const CSkinFrameDlg&) = delete;
  CSkinFrameDlg& operator=(const CSkinFrameDlg&) = delete;
};
