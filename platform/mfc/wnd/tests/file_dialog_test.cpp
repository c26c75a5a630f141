// The file dialogs without a screen: filters as the toolkit gets them, what the dialog is asked
// (seen through the test hook), the default extension, the overwrite question, answers that do
// not fit, the document manager's prompt, and the folder browser.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <afxdlgs.h>
#include <shlobj.h>

#include "TestSupport.h"

namespace {

using lwmfc::FileDialogRequest;
using lwmfc::FileFilterEntry;

// ---------------------------------------------------------------------------------------------
// Filters

TEST(FileFilterTest, SplitsEntriesAndTrimsPatterns) {
  struct Case {
    const char* name;
    const wchar_t* filter;
    std::vector<std::pair<std::wstring, std::vector<std::wstring>>> expected;
  } const cases[] = {
      {"program's open filter",
       L"All Supported Format|*.lfw;*.pdf|PDF (Adobe PDF File Format)|*.pdf|LFD (Norvane Leafwright File)|*.lfw||",
       {{L"All Supported Format", {L"*.lfw", L"*.pdf"}},
        {L"PDF (Adobe PDF File Format)", {L"*.pdf"}},
        {L"LFD (Norvane Leafwright File)", {L"*.lfw"}}}},
      // Tabs and blanks after a pattern, an empty pattern after the last ';'.
      {"padded patterns", L"Images|*.gif;*.wmf\t\t\t\t\t   |Video|*.*;||",
       {{L"Images", {L"*.gif", L"*.wmf"}}, {L"Video", {L"*.*"}}}},
      {"no closing bars", L"A|*.a", {{L"A", {L"*.a"}}}},
      {"name without patterns ends the list", L"A|*.a|B||C|*.c||", {{L"A", {L"*.a"}}}},
      {"blank patterns end the list", L"A| ; |B|*.b||", {}},
      {"empty", L"", {}},
      {"only bars", L"||||", {}},
  };
  for (const Case& c : cases) {
    const std::vector<FileFilterEntry> got = lwmfc::ParseFileFilter(c.filter, false);
    ASSERT_EQ(got.size(), c.expected.size()) << c.name;
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].name, c.expected[i].first) << c.name;
      EXPECT_EQ(got[i].patterns, c.expected[i].second) << c.name;
    }
  }
  EXPECT_TRUE(lwmfc::ParseFileFilter(nullptr, false).empty());
}

TEST(FileFilterTest, NulSeparatedListsStopAtTheEndAndTheBound) {
  const wchar_t list[] = L"A\0*.a\0B\0*.b\0\0C\0*.c\0";
  EXPECT_EQ(lwmfc::ParseFileFilter(list, true).size(), 2u);
  // A list without its closing empty string is not read past the bound.
  const wchar_t open[] = {L'A', 0, L'*', L'.', L'a', 0, L'B', 0, L'*'};
  const std::vector<FileFilterEntry> got = lwmfc::ParseFileFilter(open, true, sizeof(open) / sizeof(open[0]));
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].name, L"A");
}

TEST(FileFilterTest, PatternsMatchAnyCase) {
  struct Case {
    const wchar_t* pattern;
    const wchar_t* expected;
  } const cases[] = {
      {L"*.lfw", L"*.[lL][fF][wW]"},
      {L"*.LFW", L"*.[lL][fF][wW]"},
      {L"*.mp3", L"*.[mM][pP]3"},
      {L"*.*", L"*.*"},
      {L"*tiff", L"*[tT][iI][fF][fF]"},
      {L"*.[pP]df", L"*.[pP][dD][fF]"},  // brackets already there are kept
      {L"*.\u00e9", L"*.[\u00e9\u00c9]"},
      {L"?", L"?"},
  };
  for (const Case& c : cases) EXPECT_EQ(lwmfc::CaseInsensitivePattern(c.pattern), c.expected) << c.pattern;
}

TEST(FileFilterTest, ToolkitWildcardKeepsTheWrittenPatternFirst) {
  const auto entries = lwmfc::ParseFileFilter(L"All Supported Format|*.lfw;*.pdf|Any|*.*||", false);
  EXPECT_EQ(lwmfc::ToolkitWildcard(entries),
            L"All Supported Format|*.lfw;*.[lL][fF][wW];*.pdf;*.[pP][dD][fF]|Any|*.*");
  EXPECT_EQ(lwmfc::ToolkitWildcard({}), L"");
}

TEST(FileFilterTest, DefaultExtensionsLoseTheirWildcard) {
  struct Case {
    const wchar_t* given;
    const wchar_t* expected;
  } const cases[] = {
      {L"*.pdf", L"pdf"}, {L".LFW", L"LFW"}, {L"pdf", L"pdf"}, {L" .pdf ", L"pdf"},
      {L"*", L""},        {L"*.*", L""},     {L"", L""},       {L".a;.b", L"a"},
  };
  for (const Case& c : cases) EXPECT_EQ(lwmfc::NormalizeDefaultExtension(c.given), c.expected) << c.given;
  EXPECT_EQ(lwmfc::NormalizeDefaultExtension(nullptr), L"");
}

// ---------------------------------------------------------------------------------------------
// The dialog through the hook

struct HookScript {
  std::vector<FileDialogRequest> seen;
  std::vector<std::wstring> answers;  // one per round; empty string cancels
  std::vector<std::wstring> multiple;  // answered as several paths
  int boxes = 0;
  int boxAnswer = IDYES;
  std::wstring boxText;
};
HookScript* g_script = nullptr;

BOOL ScriptedDialog(FileDialogRequest& req) {
  g_script->seen.push_back(req);
  if (!g_script->multiple.empty()) {
    req.paths = g_script->multiple;
    return TRUE;
  }
  const size_t round = g_script->seen.size() - 1;
  const std::wstring answer = round < g_script->answers.size() ? g_script->answers[round] : g_script->answers.back();
  if (answer.empty()) return FALSE;
  req.fileName = answer;
  return TRUE;
}

int ScriptedBox(const wchar_t* text, const wchar_t*, UINT type) {
  ++g_script->boxes;
  g_script->boxText = text;
  EXPECT_EQ(type & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
  return g_script->boxAnswer;
}

class FileDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_script = &script;
    lwmfc::SetFileDialogRequestHook(&ScriptedDialog);
    lwmfc::SetMessageBoxHook(&ScriptedBox);
    existing = (dir / "existing.pdf").string();
    std::FILE* f = std::fopen(existing.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
  }
  void TearDown() override {
    lwmfc::SetFileDialogRequestHook(nullptr);
    lwmfc::SetMessageBoxHook(nullptr);
    g_script = nullptr;
  }
  std::wstring In(const char* name) const {
    const std::string p = (dir / name).string();
    return std::wstring(p.begin(), p.end());
  }
  lwtest::TempDir dir;
  std::string existing;
  HookScript script;
};

TEST_F(FileDialogTest, TheHookSeesWhatTheProgramAsked) {
  CFileDialog dlg(TRUE, nullptr, nullptr, OFN_FILEMUSTEXIST | OFN_ENABLETEMPLATE | OFN_HIDEREADONLY,
                  L"All Supported Format|*.lfw;*.pdf|PDF (Adobe PDF File Format)|*.pdf||");
  script.answers = {In("a.LFW")};
  ASSERT_EQ(dlg.DoModal(), IDOK);
  ASSERT_EQ(script.seen.size(), 1u);
  const FileDialogRequest& r = script.seen[0];
  EXPECT_EQ(r.kind, FileDialogRequest::openFile);
  EXPECT_EQ(r.title, L"Open");
  EXPECT_EQ(r.flags, static_cast<DWORD>(0x1044));
  ASSERT_EQ(r.filters.size(), 2u);
  EXPECT_EQ(r.filters[0].name, L"All Supported Format");
  EXPECT_EQ(r.wildcard, L"All Supported Format|*.lfw;*.[lL][fF][wW];*.pdf;*.[pP][dD][fF]|"
                        L"PDF (Adobe PDF File Format)|*.pdf;*.[pP][dD][fF]");
  EXPECT_EQ(r.filterIndex, 1);
  EXPECT_EQ(r.defaultExt, L"");
  EXPECT_EQ(dlg.GetPathName(), CString(In("a.LFW").c_str()));
  EXPECT_EQ(dlg.GetFileName(), L"a.LFW");
  EXPECT_EQ(dlg.GetFileExt(), L"LFW");
  EXPECT_EQ(dlg.GetFileTitle(), L"a");
  EXPECT_EQ(std::wstring(dlg.m_ofn.lpstrFile), In("a.LFW"));
  EXPECT_EQ(dlg.m_ofn.lpstrFile[dlg.m_ofn.nFileOffset], L'a');
  EXPECT_EQ(dlg.m_ofn.lpstrFile[dlg.m_ofn.nFileExtension], L'L');
}

TEST_F(FileDialogTest, SavingAddsTheExtensionAndAsksBeforeReplacing) {
  struct Case {
    const char* name;
    const wchar_t* defExt;
    DWORD flags;
    std::vector<std::string> answers;  // file names in the folder; "" cancels
    int boxAnswer;
    INT_PTR result;
    const char* expected;  // the chosen file's name
    int boxes;
  } const cases[] = {
      {"extension added", L"*.pdf", OFN_OVERWRITEPROMPT, {"new"}, IDYES, IDOK, "new.pdf", 0},
      {"extension kept", L"pdf", OFN_OVERWRITEPROMPT, {"new.txt"}, IDYES, IDOK, "new.txt", 0},
      // The name with its added extension is the one that exists.
      {"replace: yes", L"*.pdf", OFN_OVERWRITEPROMPT, {"existing"}, IDYES, IDOK, "existing.pdf", 1},
      {"replace: no, then another", L"*.pdf", OFN_OVERWRITEPROMPT, {"existing.pdf", "other"}, IDNO, IDOK,
       "other.pdf", 1},
      {"no question without the flag", L"*.pdf", 0, {"existing.pdf"}, IDNO, IDOK, "existing.pdf", 0},
      {"cancel", L"*.pdf", OFN_OVERWRITEPROMPT, {""}, IDYES, IDCANCEL, "", 0},
      // A hook that keeps answering a name the user will not replace ends as a cancel.
      {"never replaced", L"*.pdf", OFN_OVERWRITEPROMPT, {"existing.pdf"}, IDNO, IDCANCEL, "", 8},
  };
  for (const Case& c : cases) {
    script = HookScript{};
    script.boxAnswer = c.boxAnswer;
    for (const std::string& a : c.answers) script.answers.push_back(a.empty() ? std::wstring() : In(a.c_str()));
    CFileDialog dlg(FALSE, c.defExt, L"proposed", c.flags, L"Adobe PDF Files (*.PDF)|*.pdf||");
    EXPECT_EQ(dlg.DoModal(), c.result) << c.name;
    EXPECT_EQ(script.boxes, c.boxes) << c.name;
    if (c.boxes) {
      EXPECT_EQ(script.boxText, L"existing.pdf already exists.\nDo you want to replace it?") << c.name;
    }
    ASSERT_FALSE(script.seen.empty()) << c.name;
    EXPECT_EQ(script.seen[0].kind, FileDialogRequest::saveFile) << c.name;
    EXPECT_EQ(script.seen[0].title, L"Save As") << c.name;
    EXPECT_EQ(script.seen[0].fileName, L"proposed") << c.name;
    EXPECT_EQ(script.seen[0].defaultExt, L"pdf") << c.name;
    if (c.result == IDOK) {
      EXPECT_EQ(dlg.GetPathName(), CString(In(c.expected).c_str())) << c.name;
    }
  }
}

TEST_F(FileDialogTest, AnAnswerThatDoesNotFitTheCallersBufferIsNoAnswer) {
  wchar_t small[16] = L"x";
  CFileDialog dlg(TRUE);
  dlg.m_ofn.lpstrFile = small;
  dlg.m_ofn.nMaxFile = 16;
  script.answers = {L"/a/path/much/longer/than/sixteen.lfw"};
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_EQ(std::wstring(small), L"x");  // untouched, never a cut name
  script = HookScript{};
  script.answers = {L"/a/b.lfw"};
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(std::wstring(small), L"/a/b.lfw");
}

TEST_F(FileDialogTest, SeveralFilesComeBackOneByOne) {
  CFileDialog dlg(TRUE, nullptr, nullptr, OFN_ALLOWMULTISELECT, L"Images|*.png||");
  script.multiple = {L"/pics/a.png", L"/pics/b.png"};
  ASSERT_EQ(dlg.DoModal(), IDOK);
  std::vector<CString> paths;
  for (POSITION pos = dlg.GetStartPosition(); pos;) paths.push_back(dlg.GetNextPathName(pos));
  ASSERT_EQ(paths.size(), 2u);
  EXPECT_EQ(paths[0], L"/pics/a.png");
  EXPECT_EQ(paths[1], L"/pics/b.png");
  // The buffer holds the folder and the names, as Windows fills it.
  const wchar_t expected[] = L"/pics\0a.png\0b.png\0";
  EXPECT_EQ(std::wmemcmp(dlg.m_ofn.lpstrFile, expected, sizeof(expected) / sizeof(wchar_t)), 0);
}

// ---------------------------------------------------------------------------------------------
// The document manager's prompt builds its filter from the templates

class CPromptDoc : public CDocument {
  DECLARE_DYNCREATE(CPromptDoc)
};
IMPLEMENT_DYNCREATE(CPromptDoc, CDocument)

TEST_F(FileDialogTest, DocumentManagerPromptsWithTheTemplatesFilter) {
  CWinApp app(L"Prompt Test");
  auto* withStrings = new CSingleDocTemplate(128, RUNTIME_CLASS(CPromptDoc), nullptr, nullptr);
  withStrings->m_strDocStrings =
      L"Norvane Leafwright\n\nnewLfw\nNorvane Leafwright Files (*.LFW)\n.LFW\nQor_LEAFWRIGHT.Document\n"
      L"Norvane_LEAFWRIGHT.Document";
  auto* without = new CSingleDocTemplate(129, RUNTIME_CLASS(CPromptDoc), nullptr, nullptr);
  app.AddDocTemplate(without);
  app.AddDocTemplate(withStrings);
  struct Case {
    const char* name;
    CDocTemplate* pTemplate;
    UINT title;
    BOOL open;
    const wchar_t* expectedTitle;
    size_t entries;
  } const cases[] = {
      {"save as", withStrings, AFX_IDS_SAVEFILE, FALSE, L"Save As", 2},
      {"save a copy", withStrings, AFX_IDS_SAVEFILECOPY, FALSE, L"Save As", 2},
      {"open from every template", nullptr, AFX_IDS_OPENFILE, TRUE, L"Open", 2},
      {"a template without strings", without, AFX_IDS_SAVEFILE, FALSE, L"Save As", 1},
  };
  for (const Case& c : cases) {
    script = HookScript{};
    script.answers = {In("chosen")};
    CString name = L"doc.pdf";
    ASSERT_TRUE(app.m_pDocManager->DoPromptFileName(name, c.title, OFN_PATHMUSTEXIST, c.open, c.pTemplate)) << c.name;
    ASSERT_EQ(script.seen.size(), 1u) << c.name;
    const FileDialogRequest& r = script.seen[0];
    EXPECT_EQ(r.title, c.expectedTitle) << c.name;
    EXPECT_EQ(r.fileName, L"doc.pdf") << c.name;
    EXPECT_EQ(r.flags, static_cast<DWORD>(OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST)) << c.name;
    ASSERT_EQ(r.filters.size(), c.entries) << c.name;
    if (c.entries == 2) {
      EXPECT_EQ(r.filters[0].name, L"Norvane Leafwright Files (*.LFW)") << c.name;
      EXPECT_EQ(r.filters[0].patterns, std::vector<std::wstring>{L"*.LFW"}) << c.name;
      EXPECT_EQ(r.defaultExt, L"LFW") << c.name;
      EXPECT_EQ(r.filterIndex, 1) << c.name;
    }
    EXPECT_EQ(r.filters.back().name, L"All Files (*.*)") << c.name;
    // A saved name takes the template's extension.
    EXPECT_EQ(name, CString(In(c.open || c.entries == 1 ? "chosen" : "chosen.LFW").c_str())) << c.name;
  }
  script = HookScript{};
  script.answers = {L""};
  CString name = L"kept";
  EXPECT_FALSE(app.m_pDocManager->DoPromptFileName(name, AFX_IDS_SAVEFILE, 0, FALSE, withStrings));
  EXPECT_EQ(name, L"kept");
}

// ---------------------------------------------------------------------------------------------
// The folder browser

TEST_F(FileDialogTest, TheFolderBrowserAnswersWithAPath) {
  wchar_t display[MAX_PATH] = L"";
  BROWSEINFOW bi{};
  bi.lpszTitle = L"Please select a folder";
  bi.ulFlags = BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
  bi.pszDisplayName = display;
  struct Case {
    std::wstring answer;  // empty: cancelled
    bool chosen;
    const wchar_t* path;  // what SHGetPathFromIDList gives
    BOOL pathResult;
    const wchar_t* display;
  } const cases[] = {
      {L"/home/u/Books/", true, L"/home/u/Books", TRUE, L"Books"},
      {L"/", true, L"/", TRUE, L"/"},
      {L"", false, L"", FALSE, L""},
      {L"/" + std::wstring(300, L'x'), true, L"", FALSE, nullptr},  // too long for MAX_PATH: never cut
  };
  for (const Case& c : cases) {
    script = HookScript{};
    script.answers = {c.answer};
    display[0] = 0;
    PIDLIST_ABSOLUTE pidl = SHBrowseForFolderW(&bi);
    ASSERT_EQ(script.seen.size(), 1u);
    EXPECT_EQ(script.seen[0].kind, FileDialogRequest::pickFolder);
    EXPECT_EQ(script.seen[0].title, L"Please select a folder");
    EXPECT_EQ(script.seen[0].flags, 0x50u);
    EXPECT_EQ(pidl != nullptr, c.chosen);
    wchar_t path[MAX_PATH] = L"junk";
    EXPECT_EQ(SHGetPathFromIDListW(pidl, path), c.pathResult);
    EXPECT_EQ(std::wstring(path), c.path);
    if (c.display) {
      EXPECT_EQ(std::wstring(display), c.display);
    }
    CoTaskMemFree(pidl);
  }
  EXPECT_EQ(SHBrowseForFolderW(nullptr), nullptr);
}

// Dialogs open on the document's folder, else on the last folder chosen; a name with its own
// folder opens there.
std::wstring g_documentFolder;
TEST_F(FileDialogTest, DialogsOpenOnTheDocumentsFolderElseTheLastOneChosen) {
  const std::string sub = (dir / "sub").string();
  ASSERT_EQ(std::system(("mkdir -p '" + sub + "'").c_str()), 0);
  const std::wstring subW(sub.begin(), sub.end()), dirW = In("");
  auto openOnce = [&](const wchar_t* name, const std::wstring& answer) {
    script = HookScript{};
    script.answers = {answer};
    CFileDialog dlg(TRUE, nullptr, name, OFN_HIDEREADONLY, L"PDF|*.pdf||");
    dlg.DoModal();
    return script.seen.at(0).startFolder;
  };
  lwmfc::SetDialogStartFolderHook([] { return g_documentFolder; });
  g_documentFolder = subW;
  EXPECT_EQ(openOnce(nullptr, subW + L"/a.pdf"), subW) << "the document's folder";
  EXPECT_EQ(openOnce((dirW + L"b.pdf").c_str(), dirW + L"b.pdf"), L"") << "the name's own folder";
  g_documentFolder.clear();  // an untitled document
  EXPECT_EQ(openOnce(nullptr, L""), dirW.substr(0, dirW.size() - 1)) << "the last folder chosen";
  g_documentFolder = dirW + L"gone";  // a folder no longer there
  EXPECT_EQ(openOnce(nullptr, L""), dirW.substr(0, dirW.size() - 1));
  // The folder chooser too; the folder chosen there is the next start folder.
  lwmfc::SetDialogStartFolderHook(nullptr);
  script = HookScript{};
  script.answers = {subW};
  BROWSEINFOW bi{};
  PIDLIST_ABSOLUTE pidl = SHBrowseForFolderW(&bi);
  ASSERT_EQ(script.seen.size(), 1u);
  EXPECT_EQ(script.seen[0].startFolder, dirW.substr(0, dirW.size() - 1));
  CoTaskMemFree(pidl);
  EXPECT_EQ(lwmfc::GetLastDialogFolder(), subW);
}

}  // namespace
