#include "OneValueDlgs.h"

#include <UnitConv.h>

#include "Themes.h"

IMPLEMENT_DYNAMIC(CEditOutlineWidthDlg, CEditParam1DlgEx)
IMPLEMENT_DYNAMIC(CEditTransparencyDlg, CEditParam1DlgEx)
IMPLEMENT_DYNAMIC(CEditRotatedAngleDlg, CEditParam1DlgEx)

namespace {
PFN_GETACTIVEPREVIEW g_pfnActivePreview = nullptr;
}  // namespace

void SetActivePreviewSource(PFN_GETACTIVEPREVIEW pfn) { g_pfnActivePreview = pfn; }

IOneValuePreview* GetActiveOneValuePreview() { return g_pfnActivePreview ? g_pfnActivePreview() : nullptr; }

// ---------------------------------------------------------------------------------------------

CEditOutlineWidthDlg::CEditOutlineWidthDlg(int nPoints, CWnd* pParent)
    : CEditParam1DlgEx(kOutlineWidthSpec.pszCaption, kOutlineWidthSpec.pszLabel, kOutlineWidthSpec.pszUnit,
                       kOutlineWidthSpec.nUpper, kOutlineWidthSpec.nLower, nPoints, pParent) {}

float CEditOutlineWidthDlg::PointsToPixels(int nPoints) {
  return Vectorloom::CUnitConv::Weight2Pixel(static_cast<float>(nPoints), Vectorloom::kScreenDpi);
}

BOOL CEditOutlineWidthDlg::OnInitDialog() {
  CEditParam1DlgEx::OnInitDialog();
  Preview(m_nValue);
  return TRUE;
}

void CEditOutlineWidthDlg::OnParamChanged(int nNewValue) { Preview(nNewValue); }

void CEditOutlineWidthDlg::Preview(int nValue) {
  // The view takes pixels: the width the commit will give, not the points as pixels.
  if (IOneValuePreview* pView = GetActiveOneValuePreview()) pView->PreviewModifyShapeObjsStrokeWidth(PointsToPixels(nValue));
}

// ---------------------------------------------------------------------------------------------

CEditTransparencyDlg::CEditTransparencyDlg(int nKind, int nAlpha, CWnd* pParent)
    : CEditParam1DlgEx(kTransparencySpec.pszCaption, kTransparencySpec.pszLabel, kTransparencySpec.pszUnit,
                       kTransparencySpec.nUpper, kTransparencySpec.nLower, nAlpha, pParent),
      m_nKind(nKind) {}

BOOL CEditTransparencyDlg::OnInitDialog() {
  CEditParam1DlgEx::OnInitDialog();
  Preview(m_nValue);
  return TRUE;
}

void CEditTransparencyDlg::OnParamChanged(int nNewValue) { Preview(nNewValue); }

void CEditTransparencyDlg::Preview(int nValue) {
  IOneValuePreview* pView = GetActiveOneValuePreview();
  if (!pView) return;
  const bool bText = pView->IsEditingText();
  if (m_nKind == kFill) {
    if (bText) pView->PreviewEditingTextFilledTransparency(nValue);
    else pView->PreviewRenderObjsFilledTransparency(nValue);
  } else {
    if (bText) pView->PreviewEditingTextStrokenTransparency(nValue);
    else pView->PreviewRenderObjsStrokenTransparency(nValue);
  }
}

// ---------------------------------------------------------------------------------------------

CEditRotatedAngleDlg::CEditRotatedAngleDlg(int nAngle, CWnd* pParent)
    : CEditParam1DlgEx(kRotatedAngleSpec.pszCaption, kRotatedAngleSpec.pszLabel, kRotatedAngleSpec.pszUnit,
                       kRotatedAngleSpec.nUpper, kRotatedAngleSpec.nLower, nAngle, pParent) {}

BOOL CEditRotatedAngleDlg::OnInitDialog() {
  CEditParam1DlgEx::OnInitDialog();
  Preview(m_nValue);
  return TRUE;
}

void CEditRotatedAngleDlg::OnParamChanged(int nNewValue) { Preview(nNewValue); }

void CEditRotatedAngleDlg::Preview(int nValue) {
  if (IOneValuePreview* pView = GetActiveOneValuePreview()) pView->PreviewModifyRenderObjsRotatedAngle(nValue);
}

// ---------------------------------------------------------------------------------------------

INT_PTR RunOneValueDialog(CEditParam1DlgEx& dlg, const std::function<void(int)>& fnCommit) {
  ApplyDialogSkin();
  const INT_PTR nResult = dlg.DoModal();
  UnloadDialogSkin();
  // The preview wrote the objects themselves: put them back before anything is committed.
  if (IOneValuePreview* pView = GetActiveOneValuePreview()) {
    pView->RestorePrevScene();
    pView->DestroyPreviewScene();
  }
  if (nResult == IDOK && fnCommit) fnCommit(dlg.GetValue());
  return nResult;
}
