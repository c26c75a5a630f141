// Saving a document never costs the user the file that was there.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <afxwin.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <lwreplace.h>
#include <lwstr.h>

#include "TestSupport.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::wstring> g_messages;

int RecordMessage(const wchar_t* text, UINT) {
  g_messages.emplace_back(text);
  return IDOK;
}

// Sees every message the document shows, for the length of a test.
struct MessageRecorder {
  MessageRecorder() {
    g_messages.clear();
    saved = CDocument::Hooks().pfnMessageBox;
    CDocument::Hooks().pfnMessageBox = RecordMessage;
  }
  ~MessageRecorder() { CDocument::Hooks().pfnMessageBox = saved; }
  int (*saved)(const wchar_t*, UINT);
};

std::string ReadText(const fs::path& p) {
  auto bytes = lwtest::ReadFileBytes(p);
  return std::string(bytes.begin(), bytes.end());
}

void WriteText(const fs::path& p, const std::string& text) {
  lwtest::WriteFileBytes(p, std::vector<uint8_t>(text.begin(), text.end()));
}

std::vector<std::string> Entries(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

CString Path(const fs::path& p) { return CString::FromUtf8(p.string()); }

// A document that writes its text and lets a test act in the middle of the writing.
class CTextDoc : public CDocument {
 public:
  std::string m_text;
  std::function<void(CFile&)> m_midway;  // runs after the first half is written
  void Serialize(CArchive& ar) override {
    CFile& f = *ar.GetFile();
    if (!ar.IsStoring()) {
      m_text.assign(static_cast<size_t>(f.GetLength()), '\0');
      if (f.Read(m_text.data(), static_cast<UINT>(m_text.size())) != m_text.size())
        AfxThrowFileException(CFileException::endOfFile);
      return;
    }
    const size_t half = m_text.size() / 2;
    f.Write(m_text.data(), static_cast<UINT>(half));
    if (m_midway) m_midway(f);
    f.Write(m_text.data() + half, static_cast<UINT>(m_text.size() - half));
  }
};

CString g_promptName;
BOOL PromptWithName(CDocument*, CString& rName, BOOL) {
  rName = g_promptName;
  return TRUE;
}

const std::string kOld = "the user's document, forty bytes long...";

// Saves that fail at any point leave the old file byte for byte, report the path and the
// reason, and keep the document modified. Save As onto an existing file is the case where the
// file used to be removed.
TEST(CDocumentSave, FailedSavesKeepTheOldFile) {
  struct Case {
    const char* name;
    std::function<void(const fs::path& dir, CTextDoc& doc)> prepare;
    bool saveAs;          // through the name prompt (Save As) rather than the document's path
    const char* target;   // file name inside the folder
    const wchar_t* reason;  // part of the message
  };
  const std::vector<Case> cases = {
      {"Serialize throws after writing part",
       [](const fs::path&, CTextDoc& doc) {
         doc.m_midway = [](CFile&) { AfxThrowFileException(CFileException::diskFull); };
       },
       false, "doc.lfw", L"disk is full"},
      {"Save As onto an existing file, Serialize throws at once",
       [](const fs::path&, CTextDoc& doc) {
         doc.m_text.clear();
         doc.m_midway = [](CFile&) { AfxThrowMemoryException(); };
       },
       true, "doc.lfw", L"Out of memory"},
      {"folder missing", [](const fs::path&, CTextDoc&) {}, true, "gone/doc.lfw", L"was not found"},
      {"target is a folder",
       [](const fs::path& dir, CTextDoc&) { fs::create_directory(dir / "folder.lfw"); }, false, "folder.lfw",
       L"Access"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MessageRecorder messages;
    lwtest::TempDir dir;
    WriteText(dir / "doc.lfw", kOld);
    CTextDoc doc;
    doc.m_bAutoDelete = FALSE;
    doc.m_text = "new content that is longer than the old one, much longer";
    doc.SetModifiedFlag();
    c.prepare(dir.path(), doc);
    const auto before = Entries(dir.path());
    const CString target = Path(dir / c.target);
    BOOL saved;
    if (c.saveAs) {
      g_promptName = target;
      CDocument::Hooks().pfnPromptSaveName = PromptWithName;
      saved = doc.DoSave(nullptr);
      CDocument::Hooks().pfnPromptSaveName = nullptr;
    } else {
      saved = doc.DoSave(target);
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(ReadText(dir / "doc.lfw"), kOld);
    EXPECT_EQ(Entries(dir.path()), before);
    EXPECT_TRUE(doc.IsModified());
    ASSERT_EQ(g_messages.size(), 1u);
    EXPECT_NE(g_messages[0].find(L"Could not save \"" + std::wstring(target.GetString()) + L"\"."), std::wstring::npos)
        << lw::WideToUtf8(g_messages[0]);
    EXPECT_NE(g_messages[0].find(c.reason), std::wstring::npos) << lw::WideToUtf8(g_messages[0]);
  }
}

// A failure that is not the layer's own exception passes through, still without harm to the file.
TEST(CDocumentSave, ForeignExceptionPassesThroughAndKeepsTheFile) {
  lwtest::TempDir dir;
  WriteText(dir / "doc.lfw", kOld);
  CTextDoc doc;
  doc.m_bAutoDelete = FALSE;
  doc.m_text = "replacement";
  doc.m_midway = [](CFile&) { throw std::runtime_error("bug"); };
  EXPECT_THROW(doc.DoSave(Path(dir / "doc.lfw")), std::runtime_error);
  EXPECT_EQ(ReadText(dir / "doc.lfw"), kOld);
  EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"doc.lfw"});
}

// The new file could not be put in place at the very end (its name became a folder meanwhile):
// the save fails and says so, nothing is left over.
TEST(CDocumentSave, FailedCommitIsReported) {
  MessageRecorder messages;
  lwtest::TempDir dir;
  WriteText(dir / "doc.lfw", kOld);
  CTextDoc doc;
  doc.m_bAutoDelete = FALSE;
  doc.m_text = "replacement";
  const fs::path target = dir / "doc.lfw";
  doc.m_midway = [&target](CFile&) {
    fs::remove(target);
    fs::create_directories(target / "inside");
  };
  EXPECT_FALSE(doc.DoSave(Path(target)));
  EXPECT_TRUE(fs::is_directory(target / "inside"));
  EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"doc.lfw"});
  ASSERT_EQ(g_messages.size(), 1u);
  EXPECT_NE(g_messages[0].find(L"Could not save"), std::wstring::npos);
}

// Opening failures reach the user too, naming the file even when the reader did not.
TEST(CDocumentSave, FailedOpensAreReported) {
  MessageRecorder messages;
  lwtest::TempDir dir;
  CTextDoc doc;
  doc.m_bAutoDelete = FALSE;
  const CString missing = Path(dir / "missing.lfw");
  EXPECT_FALSE(doc.OnOpenDocument(missing));
  ASSERT_EQ(g_messages.size(), 1u);
  EXPECT_NE(g_messages[0].find(L"Could not open \"" + std::wstring(missing.GetString()) + L"\"."), std::wstring::npos);
  EXPECT_NE(g_messages[0].find(L"was not found"), std::wstring::npos);

  // A reader that throws without a file name.
  class CFailingDoc : public CDocument {
    void Serialize(CArchive&) override { AfxThrowFileException(CFileException::endOfFile); }
  } failing;
  failing.m_bAutoDelete = FALSE;
  WriteText(dir / "short.lfw", "x");
  const CString shortFile = Path(dir / "short.lfw");
  EXPECT_FALSE(failing.OnOpenDocument(shortFile));
  ASSERT_EQ(g_messages.size(), 2u);
  EXPECT_NE(g_messages[1].find(L"read past the end of " + std::wstring(shortFile.GetString())), std::wstring::npos)
      << lw::WideToUtf8(g_messages[1]);
}

// Saving onto the file the document still reads pages from (opened with write sharing denied,
// directly or through a link): the save succeeds, the open file keeps giving the old bytes to
// the end, the link stays a link.
TEST(CDocumentSave, SaveOntoTheFileStillBeingRead) {
  for (bool throughLink : {false, true}) {
    SCOPED_TRACE(throughLink ? "through a link" : "direct");
    lwtest::TempDir dir;
    std::string old;
    for (int i = 0; i < 5000; ++i) old += "page " + std::to_string(i) + "\n";
    WriteText(dir / "doc.lfw", old);
    if (throughLink) fs::create_symlink("doc.lfw", dir / "alias.lfw");
    const fs::path named = dir / (throughLink ? "alias.lfw" : "doc.lfw");

    CTextDoc doc;
    doc.m_bAutoDelete = FALSE;
    ASSERT_TRUE(doc.OnOpenDocument(Path(named)));
    CFile pages(Path(named), CFile::modeRead | CFile::shareDenyWrite);
    // The save copies the stored pages across while it writes: half before, half after.
    std::string copied(old.size(), '\0');
    doc.m_text = "header|";
    doc.m_midway = [&](CFile& out) {
      ASSERT_EQ(pages.Read(copied.data(), static_cast<UINT>(old.size() / 2)), old.size() / 2);
      out.Write(copied.data(), static_cast<UINT>(old.size() / 2));
    };
    EXPECT_TRUE(doc.DoSave(Path(named)));
    const UINT rest = static_cast<UINT>(old.size() - old.size() / 2);
    EXPECT_EQ(pages.Read(copied.data() + old.size() / 2, rest), rest);
    EXPECT_EQ(copied, old);
    EXPECT_EQ(ReadText(named), "hea" + old.substr(0, old.size() / 2) + "der|");
    if (throughLink) {
      EXPECT_TRUE(fs::is_symlink(named));
    }
  }
}

lw::ReplaceStep g_killAt;

// A save killed at any point - while Serialize writes, before the rename, after it - leaves the
// whole old file or the whole new one.
TEST(CDocumentSave, KilledSaveLeavesOldOrNewFile) {
  const std::string fresh(200000, 'n');
  struct Case {
    const char* name;
    int step;  // -1: inside Serialize
    bool expectNew;
  };
  const Case cases[] = {
      {"inside Serialize", -1, false},
      {"content written", static_cast<int>(lw::ReplaceStep::kWritten), false},
      {"before the rename", static_cast<int>(lw::ReplaceStep::kSynced), false},
      {"after the rename", static_cast<int>(lw::ReplaceStep::kRenamed), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    lwtest::TempDir dir;
    WriteText(dir / "doc.lfw", kOld);
    chmod((dir / "doc.lfw").c_str(), 0604);
    const pid_t pid = fork();
    if (pid == 0) {
      CTextDoc doc;
      doc.m_bAutoDelete = FALSE;
      doc.m_text = fresh;
      if (c.step < 0) {
        doc.m_midway = [](CFile&) { raise(SIGKILL); };
      } else {
        g_killAt = static_cast<lw::ReplaceStep>(c.step);
        lw::SetReplaceStepHook([](lw::ReplaceStep s) {
          if (s == g_killAt) raise(SIGKILL);
        });
      }
      doc.DoSave(Path(dir / "doc.lfw"));
      _exit(3);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    EXPECT_EQ(ReadText(dir / "doc.lfw"), c.expectNew ? fresh : kOld);
    struct stat s {};
    ASSERT_EQ(stat((dir / "doc.lfw").c_str(), &s), 0);
    EXPECT_EQ(s.st_mode & 07777, 0604u);
  }
}

}  // namespace
