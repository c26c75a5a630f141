// Page texts, shapes and groups for the page editing tests, made without fonts: characters with
// their formats and one font run, laid out by paragraph marks (13) into one row per paragraph.
#pragma once

#include <gtest/gtest.h>
#include <quirebook/DDrawTextObj.h>
#include <quirebook/PublicationDoc.h>
#include <vectorloom/GroupObj.h>
#include <vectorloom/ShapeObj.h>

#include <string>
#include <vector>

namespace edittest {

using GlyphweaveLib::CCharacterItem;
using Quirebook::CDDrawTextObj;

// A text of the characters (L'\r' breaks a row), every character at the point size.
inline CDDrawTextObj* MakeText(const std::wstring& chars, float pointSize = 12.0f) {
  auto* text = new CDDrawTextObj;
  text->SetLayoutBox(400.0f, 300.0f);
  auto& items = text->GetArrayOfTextCharacters();
  for (wchar_t c : chars) {
    CCharacterItem item;
    item.SetCharacter(static_cast<char16_t>(c));
    item.SetFontPointSize(pointSize);
    items.push_back(item);
  }
  GlyphweaveLib::TFontRunInfo run;
  run.m_nLength = static_cast<uint32_t>(chars.size());
  if (run.m_nLength) text->AppendFontRun(run);
  text->RecalcuLayout(0);
  return text;
}

inline CCharacterItem& Char(CDDrawTextObj& text, int i) { return text.GetArrayOfTextCharacters()[static_cast<size_t>(i)]; }

// Marks every row so that a later layout shows which rows it laid out again: the first row
// whose mark is gone (-1 when none is).
inline void MarkRows(CDDrawTextObj& text) {
  auto& rows = text.GetParagraphsLinesInfo();
  for (int r = 0; r < rows.GetSize(); ++r) rows.GetAt(r).m_fWidth = -777.0f;
}
inline int FirstRelaidRow(const CDDrawTextObj& text) {
  const auto& rows = text.GetParagraphsLinesInfo();
  for (int r = 0; r < rows.GetSize(); ++r)
    if (rows.GetAt(r).m_fWidth != -777.0f) return r;
  return -1;
}

// A shape that counts the rebuilds a colour change asks for.
class CountingShape : public Vectorloom::CCustomPathObj {
 public:
  CountingShape() { AddRectanglePath(Vectorloom::CQorVectorRect<float>(0, 0, 10, 10)); }
  void CreatePathStorage() override {
    ++pathBuilds;
    CCustomPathObj::CreatePathStorage();
  }
  int CreateEffectsDIBs(int flags, int reserved) override {
    ++effectBuilds;
    return CCustomPathObj::CreateEffectsDIBs(flags, reserved);
  }
  int pathBuilds = 0;
  int effectBuilds = 0;
};

inline Vectorloom::CRenderGroupObj* MakeGroup(std::initializer_list<Vectorloom::CRenderBaseObj*> children) {
  auto* group = new Vectorloom::CRenderGroupObj;
  for (auto* c : children) group->GetChildList().AddElement(c);
  return group;
}

inline Vectorloom::CRenderBaseObjectList List(std::initializer_list<Vectorloom::CRenderBaseObj*> objs) {
  Vectorloom::CRenderBaseObjectList list;
  for (auto* o : objs) list.AddElement(o);
  return list;
}

// A document that records the hints it sends to its views.
class RecordingDoc : public CPublicationDoc {
 public:
  struct Hint {
    LPARAM hint;
    Vectorloom::CRenderPage* page;
  };
  void UpdateAllViews(CView*, LPARAM hint, CObject* obj) override {
    hints.push_back({hint, Vectorloom::CWorkspaceDoc::HintPage(obj)});
  }
  std::vector<Hint> hints;
};

}  // namespace edittest
