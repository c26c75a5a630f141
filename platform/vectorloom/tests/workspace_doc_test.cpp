// The workspace document: undo and redo lists, page ownership lookups and preview scenes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ObjectStreamTestSupport.h"

using namespace vltest;

namespace {

// An action that records what happens to it in a shared log.
class LoggingAction : public CBaseEditAction {
 public:
  LoggingAction(const CString& name, std::vector<std::wstring>* log)
      : CBaseEditAction(CString(L"Undo ") + name), m_name(name), m_log(log) {}
  ~LoggingAction() override { m_log->push_back(L"delete " + std::wstring(m_name.GetString())); }
  int Undo(CWorkspaceDoc*) override {
    m_log->push_back(L"undo " + std::wstring(m_name.GetString()));
    if (failUndo) return 0;
    SetMenuText(CString(L"Redo ") + m_name);
    return 1;
  }
  int Redo(CWorkspaceDoc*) override {
    m_log->push_back(L"redo " + std::wstring(m_name.GetString()));
    if (failRedo) return 0;
    SetMenuText(CString(L"Undo ") + m_name);
    return 1;
  }

  bool failUndo = false, failRedo = false;

 private:
  CString m_name;
  std::vector<std::wstring>* m_log;
};

}  // namespace

TEST(WorkspaceUndo, MenuTextsFollowTheLists) {
  std::vector<std::wstring> log;
  CWorkspaceDoc doc;
  EXPECT_FALSE(doc.CanUndo());
  EXPECT_FALSE(doc.CanRedo());
  EXPECT_EQ(doc.GetUndoMenuText(), CString(L"Undo"));
  EXPECT_EQ(doc.GetRedoMenuText(), CString(L"Redo"));

  doc.AddEditAction(new LoggingAction(CString(L"Bold Text"), &log));
  doc.AddEditAction(new LoggingAction(CString(L"Add Stamp"), &log));
  EXPECT_EQ(doc.GetUndoMenuText(), CString(L"Undo Add Stamp"));
  EXPECT_FALSE(doc.IsModified());  // recording is the command's business

  doc.OnEditUndo();
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(doc.GetUndoMenuText(), CString(L"Undo Bold Text"));
  EXPECT_EQ(doc.GetRedoMenuText(), CString(L"Redo Add Stamp"));
  doc.OnEditUndo();
  EXPECT_FALSE(doc.CanUndo());
  EXPECT_EQ(doc.GetRedoMenuText(), CString(L"Redo Bold Text"));
  doc.OnEditUndo();  // nothing left: no effect
  doc.OnEditRedo();
  EXPECT_EQ(doc.GetUndoMenuText(), CString(L"Undo Bold Text"));
  EXPECT_EQ(doc.GetRedoMenuText(), CString(L"Redo Add Stamp"));
  EXPECT_EQ(log, (std::vector<std::wstring>{L"undo Add Stamp", L"undo Bold Text", L"redo Bold Text"}));
}

TEST(WorkspaceUndo, AFailedUndoOrRedoMovesNothing) {
  std::vector<std::wstring> log;
  CWorkspaceDoc doc;
  auto* first = new LoggingAction(CString(L"Bold Text"), &log);
  auto* second = new LoggingAction(CString(L"Add Stamp"), &log);
  doc.AddEditAction(first);
  doc.AddEditAction(second);

  second->failUndo = true;
  doc.OnEditUndo();
  EXPECT_FALSE(doc.IsModified());
  EXPECT_FALSE(doc.CanRedo());
  EXPECT_EQ(doc.GetUndoMenuText(), CString(L"Undo Add Stamp"));  // still the next to undo

  second->failUndo = false;
  doc.OnEditUndo();
  EXPECT_TRUE(doc.IsModified());
  doc.SetModifiedFlag(FALSE);
  second->failRedo = true;
  doc.OnEditRedo();
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(doc.GetRedoMenuText(), CString(L"Redo Add Stamp"));
  EXPECT_EQ(doc.GetUndoMenuText(), CString(L"Undo Bold Text"));

  second->failRedo = false;
  doc.OnEditRedo();
  EXPECT_TRUE(doc.IsModified());
  EXPECT_FALSE(doc.CanRedo());
  EXPECT_EQ(log, (std::vector<std::wstring>{L"undo Add Stamp", L"undo Add Stamp", L"redo Add Stamp",
                                            L"redo Add Stamp"}));
}

TEST(WorkspaceUndo, NewActionClearsRedoAndTheDocumentOwnsActions) {
  std::vector<std::wstring> log;
  {
    CWorkspaceDoc doc;
    doc.AddEditAction(new LoggingAction(CString(L"A"), &log));
    doc.AddEditAction(new LoggingAction(CString(L"B"), &log));
    doc.OnEditUndo();
    doc.AddEditAction(new LoggingAction(CString(L"C"), &log));  // B can no longer be redone
    EXPECT_FALSE(doc.CanRedo());
    EXPECT_EQ(doc.GetUndoCount(), 2);
    EXPECT_EQ(log.back(), L"delete B");
    doc.AddEditAction(nullptr);
    EXPECT_EQ(doc.GetUndoCount(), 2);
  }
  // The rest go with the document.
  EXPECT_EQ(log, (std::vector<std::wstring>{L"undo B", L"delete B", L"delete A", L"delete C"}));
}

TEST(WorkspaceUndo, HistoryIsTrimmedAndClearedWithTheContents) {
  std::vector<std::wstring> log;
  CWorkspaceDoc doc;
  doc.SetMaxUndoCount(2);
  for (const wchar_t* n : {L"1", L"2", L"3"}) doc.AddEditAction(new LoggingAction(CString(n), &log));
  EXPECT_EQ(doc.GetUndoCount(), 2);
  EXPECT_EQ(log, (std::vector<std::wstring>{L"delete 1"}));
  doc.OnEditUndo();
  doc.m_arrPages.AddPage(new CRenderPage);
  doc.DeleteContents();
  EXPECT_FALSE(doc.CanUndo());
  EXPECT_FALSE(doc.CanRedo());
  EXPECT_EQ(doc.GetPagesCount(), 0);
}

TEST(WorkspaceDocument, FindsOwnerPagesAndPictures) {
  CWorkspaceDoc doc;
  auto* p1 = new CRenderPage;
  auto* p2 = new CRenderPage;
  doc.m_arrPages.AddPage(p1);
  doc.m_arrPages.AddPage(p2);
  auto* group = new CRenderGroupObj;
  CCustomPathObj* nested = MakeShape(RENDER_KIND_BITMAP);
  group->AddChild(nested);
  p2->AddShapeObject(group);
  CCustomPathObj* background = MakeShape(RENDER_KIND_SOLID);
  p1->SetBackgroundRenderObj(background);

  EXPECT_EQ(doc.FindOwnerPage(nested), p2);
  EXPECT_EQ(doc.FindOwnerPage(group), p2);
  EXPECT_EQ(doc.FindOwnerPage(background), p1);
  Held stray(MakeShape(RENDER_KIND_SOLID));
  EXPECT_EQ(doc.FindOwnerPage(stray.p), nullptr);

  auto* res = nested->GetFillDefinition().GetRenderBitmap();
  EXPECT_EQ(doc.FindBitmapResObject(CString(L"C:\\pics\\a.png"), 1234, 1700000000), res);
  EXPECT_EQ(doc.FindBitmapResObject(CString(L"c:\\pics\\a.png"), 1234, 1700000000), nullptr);  // exact path
  EXPECT_EQ(doc.FindBitmapResObject(CString(L"C:\\pics\\a.png"), 1235, 1700000000), nullptr);

  EXPECT_EQ(doc.CreateNewObject(RENDER_OBJ_TEXT), nullptr);
  Held made(doc.CreateNewObject(RENDER_OBJ_GROUP));
  EXPECT_EQ(made->GetObjectType(), RENDER_OBJ_GROUP);
}

namespace {

// A preview that writes a fill colour and takes it back by exchanging values.
class FillPreview : public CBasePreviewScene {
 public:
  int Backup(CWorkspaceDoc*, CRenderPage*, const CRenderBaseObjectList& objects) override {
    m_objects = objects;
    for (CRenderBaseObj* o : objects) m_saved.push_back(static_cast<CBaseShapeObj*>(o)->GetFillColor());
    return 1;
  }
  int Restore(CWorkspaceDoc*, CRenderPage*, const CRenderBaseObjectList&) override {
    for (int i = 0; i < m_objects.GetCount(); ++i) {
      auto* s = static_cast<CBaseShapeObj*>(m_objects[i]);
      const COLORREF now = s->GetFillColor();
      s->SetFillColor(m_saved[static_cast<size_t>(i)]);
      m_saved[static_cast<size_t>(i)] = now;
    }
    return 1;
  }

 private:
  CRenderBaseObjectList m_objects;
  std::vector<COLORREF> m_saved;
};

}  // namespace

TEST(PreviewScene, RestoringTwiceDoesNotApplyThePreviewAgain) {
  CWorkspaceDoc doc;
  auto* page = new CRenderPage;
  doc.m_arrPages.AddPage(page);
  CCustomPathObj* shape = MakeShape(RENDER_KIND_SOLID);
  page->AddShapeObject(shape);
  const COLORREF before = shape->GetFillColor();

  FillPreview scene;
  EXPECT_TRUE(scene.IsKindOf(RUNTIME_CLASS(CBasePreviewScene)));
  scene.Backup(&doc, page, page->GetRenderObjectList());
  shape->SetFillColor(RGB(1, 2, 3));  // the preview's value
  EXPECT_EQ(scene.RestoreScene(&doc, page, page->GetRenderObjectList()), 1);
  EXPECT_EQ(shape->GetFillColor(), before);
  EXPECT_EQ(scene.RestoreScene(&doc, page, page->GetRenderObjectList()), 0);
  EXPECT_EQ(shape->GetFillColor(), before);
  EXPECT_FALSE(doc.CanUndo());
}
