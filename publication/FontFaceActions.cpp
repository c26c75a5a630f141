#include "quirebook/FontFaceActions.h"

#include <gdi/wingdi.h>
#include <vectorloom/GroupObj.h>

#include "quirebook/PublicationDoc.h"

namespace Quirebook {

using GlyphweaveLib::CEditableTextObj;

namespace {

CEditableTextObj* AsText(Vectorloom::CRenderBaseObj* obj) {
  if (!obj || obj->GetObjectType() != Vectorloom::RENDER_OBJ_TEXT) return nullptr;
  return dynamic_cast<CEditableTextObj*>(obj);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// CUpdateTextFontFaceSegment

CUpdateTextFontFaceSegment::CUpdateTextFontFaceSegment(Vectorloom::CRenderBaseObj* text, int first, int last)
    : m_pText(text), m_nFirst(first < 0 ? 0 : first) {
  if (!m_pText) return;
  m_pText->AddRef();
  if (CEditableTextObj* t = AsText(m_pText)) m_savedRuns = CopyFontRuns(*t, m_nFirst, last);
}

CUpdateTextFontFaceSegment::~CUpdateTextFontFaceSegment() {
  if (m_pText) m_pText->Release();
}

int CUpdateTextFontFaceSegment::Undo(Vectorloom::CWorkspaceDoc* doc) {
  CEditableTextObj* text = AsText(m_pText);
  if (!text) return 1;
  const int n = CountFontRunCharacters(m_savedRuns);
  FontRunList current;
  if (n > 0) current = CutFontRuns(*text, m_nFirst, m_nFirst + n - 1);
  InsertFontRuns(*text, m_nFirst, m_savedRuns);
  text->OptimizationFontDescs(0, -1);
  text->NormalizeFontRuns();

  auto* pub = dynamic_cast<CPublicationDoc*>(doc);
  const GlyphweaveLib::CEmbedFontResManager* fonts = pub ? pub->GetEmbedFontResManager() : nullptr;
  GlyphweaveLib::CFontCacheManager* cache = pub ? pub->GetFontGlyphCacheManager() : nullptr;
  auto& chars = text->GetArrayOfTextCharacters();
  HDC dc = GetDC(nullptr);
  const int end = std::min<int>(static_cast<int>(chars.size()), m_nFirst + n);
  for (int i = m_nFirst; i < end; ++i) {
    const int run = text->FindFontRun(i, nullptr);
    chars[static_cast<size_t>(i)].BuildGlyph(dc, text->GetFontRunDesc(run), fonts, cache);
  }
  text->JoinSurrogatePairs(dc, m_nFirst, end - 1, fonts, cache);
  if (dc) ReleaseDC(nullptr, dc);

  m_savedRuns = std::move(current);
  RelayoutFromCharacter(*text, m_nFirst);
  return 1;
}

// ---------------------------------------------------------------------------------------------
// CUpdateTextsFontFaceAction

CUpdateTextsFontFaceAction::CUpdateTextsFontFaceAction() : CBaseEditAction(CString(L"Undo Change Font")) {}

int CUpdateTextsFontFaceAction::BackupTextObject(Vectorloom::CRenderBaseObj* object, int first, int last) {
  if (!AsText(object)) return 0;
  m_segments.push_back(std::make_unique<CUpdateTextFontFaceSegment>(object, first, last));
  return 1;
}

void CUpdateTextsFontFaceAction::RemoveLastSegment() {
  if (!m_segments.empty()) m_segments.pop_back();
}

void CUpdateTextsFontFaceAction::SwapAll(Vectorloom::CWorkspaceDoc* doc) {
  for (auto& segment : m_segments) segment->Undo(doc);
  if (!m_segments.empty() && doc) {
    Vectorloom::CRenderPage* page = doc->FindOwnerPage(m_segments.front()->GetTextObject());
    doc->UpdateAllViews(nullptr, 2, Vectorloom::CWorkspaceDoc::PageHint(page));
  }
}

int CUpdateTextsFontFaceAction::Undo(Vectorloom::CWorkspaceDoc* doc) {
  SwapAll(doc);
  SetMenuText(CString(L"Redo Change Font"));
  return 1;
}

int CUpdateTextsFontFaceAction::Redo(Vectorloom::CWorkspaceDoc* doc) {
  SwapAll(doc);
  SetMenuText(CString(L"Undo Change Font"));
  return 1;
}

// ---------------------------------------------------------------------------------------------
// CPreviewChangeEditingTextFontFaceSence

using Vectorloom::CBasePreviewScene;
IMPLEMENT_DYNAMIC(CPreviewChangeEditingTextFontFaceSence, CBasePreviewScene)

CPreviewChangeEditingTextFontFaceSence::CPreviewChangeEditingTextFontFaceSence(Vectorloom::CWorkspaceDoc* doc)
    : m_pDoc(doc), m_pBackup(std::make_unique<CUpdateTextsFontFaceAction>()) {}

CPreviewChangeEditingTextFontFaceSence::~CPreviewChangeEditingTextFontFaceSence() {
  if (m_pBackup && !IsRestored()) m_pBackup->Undo(m_pDoc);
}

int CPreviewChangeEditingTextFontFaceSence::Restore(Vectorloom::CWorkspaceDoc* doc, Vectorloom::CRenderPage*,
                                                    const Vectorloom::CRenderBaseObjectList&) {
  return m_pBackup ? m_pBackup->Undo(doc) : 1;
}

// ---------------------------------------------------------------------------------------------
// CPublicationDoc::UpdateAllTextsFontFace

void CPublicationDoc::UpdateAllTextsFontFace(const GlyphweaveLib::_CharsFontDesc& desc,
                                             const Vectorloom::CRenderBaseObjectList& objects,
                                             Vectorloom::CBaseEditAction* action) {
  auto* faceAction = dynamic_cast<CUpdateTextsFontFaceAction*>(action);
  for (Vectorloom::CRenderBaseObj* obj : objects) {
    if (!obj) continue;
    if (obj->GetObjectType() == Vectorloom::RENDER_OBJ_GROUP) {
      UpdateAllTextsFontFace(desc, static_cast<Vectorloom::CRenderGroupObj*>(obj)->GetChildList(), action);
      continue;
    }
    CEditableTextObj* text = AsText(obj);
    if (!text) continue;
    // The whole text but a closing paragraph mark, which draws nothing and keeps its face.
    const auto& chars = text->GetArrayOfTextCharacters();
    int last = static_cast<int>(chars.size()) - 1;
    if (last >= 0 && chars[static_cast<size_t>(last)].GetCharacter() == 13) --last;
    if (last < 0) continue;
    bool hasFace = true;
    for (const auto& run : CopyFontRuns(*text, 0, last)) hasFace = hasFace && run.m_FontDesc == desc;
    if (hasFace) continue;
    const int backedUp = faceAction ? faceAction->BackupTextObject(obj, 0, last) : 0;
    const int changed =
        text->SetSelectionCharsFormat(0, last, desc, GetEmbedFontResManager(), GetFontGlyphCacheManager());
    if (!changed && backedUp) faceAction->RemoveLastSegment();
  }
}

}  // namespace Quirebook
