// Shared by the editing command tests: a document with one page of named rectangles and a
// snapshot of the page that undo and redo must give back exactly.
#pragma once

#include <gtest/gtest.h>
#include <vectorloom/ObjectCommands.h>
#include <vectorloom/Vectorloom.h>

#include <map>
#include <string>
#include <vector>

namespace vltest {

using namespace Vectorloom;

// A w x h rectangle placed at (x, y) by its matrix.
inline CCustomPathObj* MakeRect(float x, float y, float w, float h, const wchar_t* name) {
  auto* s = new CCustomPathObj;
  s->SetObjectName(CString(name));
  s->AddRectanglePath(CQorVectorRect<float>(0, 0, w, h));
  s->SetTransMatrix(CQorTransMatrix::Translation(x, y), true);
  return s;
}

// Everything a command may change on a page: the order of the objects, each object's (and each
// group member's) matrix and the shape properties.
struct PageSnapshot {
  std::vector<const CRenderBaseObj*> order;
  std::map<const CRenderBaseObj*, std::vector<float>> values;
  std::map<const CRenderBaseObj*, std::vector<const CRenderBaseObj*>> members;
  bool operator==(const PageSnapshot& o) const { return order == o.order && values == o.values && members == o.members; }
};

inline void SnapshotObject(const CRenderBaseObj* obj, PageSnapshot& s) {
  std::vector<float> v(6);
  obj->GetTransMatrix().GetElements(v.data());
  if (auto* shape = dynamic_cast<const CBaseShapeObj*>(obj)) {
    for (float f : {static_cast<float>(shape->GetFillInsideFlag()), static_cast<float>(shape->GetFillKind()),
                    static_cast<float>(shape->GetFillColor()), static_cast<float>(shape->GetStrokeOutlineFlag()),
                    static_cast<float>(shape->GetStrokeKind()), static_cast<float>(shape->GetStrokeColor()),
                    shape->GetStrokeWidth(), static_cast<float>(shape->GetDashType()),
                    static_cast<float>(shape->GetFilledTransparency()), static_cast<float>(shape->GetStrokeTransparency())})
      v.push_back(f);
  }
  s.values[obj] = v;
  if (obj->IsGroupObject()) {
    for (const CRenderBaseObj* child : static_cast<const CRenderGroupObj*>(obj)->GetChildList()) {
      s.members[obj].push_back(child);
      SnapshotObject(child, s);
    }
  }
}

inline PageSnapshot Snapshot(const CRenderPage& page) {
  PageSnapshot s;
  for (const CRenderBaseObj* obj : page.GetRenderObjectList()) {
    s.order.push_back(obj);
    SnapshotObject(obj, s);
  }
  return s;
}

// A document with one page holding rectangles A to D.
class CommandFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    page = new CRenderPage;
    doc.GetRenderPagesArray().AddPage(page);
    const float boxes[4][4] = {{10, 10, 20, 10}, {50, 40, 10, 30}, {100, 100, 40, 40}, {5, 70, 30, 20}};
    const wchar_t* names[4] = {L"A", L"B", L"C", L"D"};
    for (int i = 0; i < 4; ++i) {
      objs[i] = MakeRect(boxes[i][0], boxes[i][1], boxes[i][2], boxes[i][3], names[i]);
      page->AddShapeObject(objs[i]);
    }
  }

  // The selection from letters, in the given order.
  CRenderBaseObjectList Select(const std::string& letters) const {
    CRenderBaseObjectList sel;
    for (char c : letters) sel.AddElement(objs[c - 'A']);
    return sel;
  }

  // The page's order as letters ('G' for a group).
  std::string Order() const {
    std::string out;
    for (CRenderBaseObj* obj : page->GetRenderObjectList()) {
      if (obj->IsGroupObject()) {
        out += 'G';
        continue;
      }
      for (int i = 0; i < 4; ++i)
        if (obj == objs[i]) out += static_cast<char>('A' + i);
    }
    return out;
  }

  // Undo gives back `before` and Redo gives back `after`, twice over; the undo list grows by one
  // action per command.
  void ExpectUndoRedo(const PageSnapshot& before, const PageSnapshot& after) {
    for (int round = 0; round < 2; ++round) {
      doc.OnEditUndo();
      EXPECT_TRUE(Snapshot(*page) == before) << "undo " << round;
      doc.OnEditRedo();
      EXPECT_TRUE(Snapshot(*page) == after) << "redo " << round;
    }
  }

  CWorkspaceDoc doc;
  CRenderPage* page = nullptr;
  CCustomPathObj* objs[4] = {};
};

inline void ExpectRect(const CQorVectorRect<float>& r, float l, float t, float rr, float b, const char* what) {
  EXPECT_NEAR(r.left, l, 1e-3) << what;
  EXPECT_NEAR(r.top, t, 1e-3) << what;
  EXPECT_NEAR(r.right, rr, 1e-3) << what;
  EXPECT_NEAR(r.bottom, b, 1e-3) << what;
}

}  // namespace vltest
