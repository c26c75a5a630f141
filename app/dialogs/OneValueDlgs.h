// The one-value property dialogs: outline width (points), fill or outline transparency (alpha)
// and rotation angle (degrees). Each previews its value live on the active editing view when it
// opens and whenever the value changes; the command that runs it (RunOneValueDialog) ends the
// preview however the dialog closes and commits the value once on OK.
#pragma once

#include <functional>

#include <EditParam1Dlg.h>

// What the dialogs preview on: the active editing view's preview routines and its preview scene.
class IOneValuePreview {
 public:
  virtual ~IOneValuePreview() = default;
  // The text-editing tool is the view's current tool (previews go to the edited characters).
  virtual bool IsEditingText() const = 0;
  virtual void PreviewModifyShapeObjsStrokeWidth(float fPixels) = 0;
  virtual void PreviewModifyRenderObjsRotatedAngle(int nAngle) = 0;
  virtual void PreviewEditingTextFilledTransparency(int nAlpha) = 0;
  virtual void PreviewRenderObjsFilledTransparency(int nAlpha) = 0;
  virtual void PreviewEditingTextStrokenTransparency(int nAlpha) = 0;
  virtual void PreviewRenderObjsStrokenTransparency(int nAlpha) = 0;
  // Puts back what the preview changed, then lets the preview scene go.
  virtual void RestorePrevScene() = 0;
  virtual void DestroyPreviewScene() = 0;
};

// Where the dialogs find the active editing view's previews (the view registers itself; null
// when there is none, and then nothing is previewed).
typedef IOneValuePreview* (*PFN_GETACTIVEPREVIEW)();
void SetActivePreviewSource(PFN_GETACTIVEPREVIEW pfn);
IOneValuePreview* GetActiveOneValuePreview();

// The bounds and texts of the three dialogs.
struct OneValueDialogSpec {
  const wchar_t* pszCaption;
  const wchar_t* pszLabel;
  const wchar_t* pszUnit;
  int nUpper, nLower;
};
inline constexpr OneValueDialogSpec kOutlineWidthSpec = {L"Custom Width", L"Width", L"pt", 100, 0};
inline constexpr OneValueDialogSpec kTransparencySpec = {L"Custom Transparency", L"Transparency", L"", 255, 0};
inline constexpr OneValueDialogSpec kRotatedAngleSpec = {L"Custom Rotation", L"Rotated Angle", L"", 359, 0};

// Outline width in whole points; previewed in pixels of the screen, as the width is committed.
class CEditOutlineWidthDlg : public CEditParam1DlgEx {
  DECLARE_DYNAMIC(CEditOutlineWidthDlg)
 public:
  explicit CEditOutlineWidthDlg(int nPoints, CWnd* pParent = nullptr);
  // The pixels a width in points covers on the 96-dpi screen.
  static float PointsToPixels(int nPoints);

 protected:
  BOOL OnInitDialog() override;
  void OnParamChanged(int nNewValue) override;
  void Preview(int nValue);
};

// Transparency (alpha 0..255) of the fill (kind 1) or of the outline (kind 0).
class CEditTransparencyDlg : public CEditParam1DlgEx {
  DECLARE_DYNAMIC(CEditTransparencyDlg)
 public:
  static constexpr int kStroke = 0, kFill = 1;
  CEditTransparencyDlg(int nKind, int nAlpha, CWnd* pParent = nullptr);
  int GetKind() const { return m_nKind; }

 protected:
  BOOL OnInitDialog() override;
  void OnParamChanged(int nNewValue) override;
  void Preview(int nValue);

 private:
  int m_nKind;
};

// Rotation angle in whole degrees, 0..359.
class CEditRotatedAngleDlg : public CEditParam1DlgEx {
  DECLARE_DYNAMIC(CEditRotatedAngleDlg)
 public:
  explicit CEditRotatedAngleDlg(int nAngle, CWnd* pParent = nullptr);

 protected:
  BOOL OnInitDialog() override;
  void OnParamChanged(int nNewValue) override;
  void Preview(int nValue);
};

// Runs a one-value dialog as the commands do: in the current theme's skin, modal. However it
// closes, the live preview ends first (the view's scene restored, then dropped), so a Cancel
// leaves the document as it was; on OK, fnCommit is then called once with the value. Returns
// the dialog's answer.
INT_PTR RunOneValueDialog(CEditParam1DlgEx& dlg, const std::function<void(int)>& fnCommit);
