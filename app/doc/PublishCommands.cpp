// The document's commands that write something other than its own file: Extract (chosen pages
// into a page file, opened in a second instance), Save As PDF and Save As Page-Flip Publication.
// None of them changes the document. Every failure is told to the user.
#include "PublishCommands.h"

#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include <QorProgress.h>
#include <flarewing/PackagePreview.h>
#include <flarewing/SwfExport.h>
#include <lwstr.h>
#include <pressmark/PdfExport.h>

#include "LeafwrightDoc.h"
#include "LfdExtract.h"

namespace {

int Tell(const CString& text, UINT type) {
  auto box = CDocument::Hooks().pfnMessageBox;
  return box ? box(text.GetString(), type) : IDCANCEL;
}

bool PathExists(const CString& path) {
  std::error_code ec;
  return std::filesystem::exists(lw::WideToUtf8(path.GetString()), ec);
}

CString CurrentDirectory() {
  if (PublishHooks().pfnCurrentDirectory) return PublishHooks().pfnCurrentDirectory();
  std::error_code ec;
  const auto cwd = std::filesystem::current_path(ec);
  return ec ? CString(L".") : CString(lw::Utf8ToWide(cwd.string()).c_str());
}

}  // namespace

const wchar_t* const kDiskFull = L"The disk is full.";

// Once an export has failed, a disk with less than this free is taken to be why.
constexpr uint64_t kLittleRoom = uint64_t{1} << 20;

CString WhyNotWritten(const CString& target, uint64_t needed) {
  std::error_code ec;
  const std::filesystem::path path(lw::WideToUtf8(target.GetString()));
  std::filesystem::path folder = path.parent_path();
  if (folder.empty()) folder = ".";
  if (!std::filesystem::is_directory(folder, ec)) return L"The folder it goes into does not exist.";
  if (::access(folder.c_str(), W_OK) != 0) return L"The folder it goes into cannot be written to.";
  if (std::filesystem::exists(path, ec) && !std::filesystem::is_directory(path, ec) &&
      ::access(path.c_str(), W_OK) != 0)
    return L"The file there cannot be replaced.";
  const std::filesystem::space_info space = std::filesystem::space(folder, ec);
  if (!ec && space.available < needed) return kDiskFull;
  return CString();
}

uint64_t EstimatePdfSize(Quirebook::CPublicationDoc& doc) { return QorPDFExportingLib::EstimatePdfBytes(doc); }

CString PreviewFolder(const CString& folder) {
  const std::string address = QorSWFExportingLib::PreviewPackageFolder(lw::WideToUtf8(folder.GetString()));
  return CString(lw::Utf8ToWide(address).c_str());
}

void StopPreviews() { QorSWFExportingLib::StopPackagePreviews(); }

CPublishHooks& PublishHooks() {
  static CPublishHooks hooks;
  return hooks;
}

CString CLeafwrightDoc::ProposePdfName() const {
  CString title = GetTitle();
  const int cut = std::max(title.ReverseFind(L'\\'), title.ReverseFind(L'/'));
  if (cut >= 0) title = title.Mid(cut + 1);
  // A title that is a file name loses its extension: report.lfw proposes report.pdf.
  const int dot = title.ReverseFind(L'.');
  if (dot > 0) {
    CString ext = title.Mid(dot + 1);
    ext.MakeLower();
    if (ext == L"lfw" || ext == L"lfd" || ext == L"pdf") title = title.Left(dot);
  }
  return title.IsEmpty() ? CString(L"untitled.pdf") : title + L".pdf";
}

CString CLeafwrightDoc::ExtractPages(const std::vector<int>& pages) {
  if (pages.empty()) {
    Tell(L"There are no pages to extract.", MB_OK | MB_ICONERROR);
    return CString();
  }
  const CString name = ChooseExtractFileName(GetPathName(), CurrentDirectory(), PathExists);
  CFile file;
  CFileException fe;
  if (!file.Open(name, CFile::modeCreate | CFile::modeWrite, &fe)) {
    CString message;
    message.Format(L"The page file \"%s\" cannot be created.", name.GetString());
    Tell(message, MB_OK | MB_ICONERROR);
    return CString();
  }
  const CString progressText(L"Extract Pages....");
  CLocalIOProgress progress(&progressText, ShellHooks().pStatusBar);
  progress.Begin();
  CString error;
  bool ok = false;
  try {
    ok = WriteExtractedPages(this, pages, file, &progress, &error);
    file.Close();
  } catch (CException* e) {
    wchar_t why[512] = L"";
    e->GetErrorMessage(why, 512);
    e->Delete();
    error = why;
    file.Abort();
    ok = false;
  }
  progress.End();
  if (!ok) {
    std::error_code ec;
    std::filesystem::remove(lw::WideToUtf8(name.GetString()), ec);  // never leave half a file
    CString message;
    message.Format(L"The pages could not be extracted to \"%s\".\r\n%s", name.GetString(), error.GetString());
    Tell(message, MB_OK | MB_ICONERROR);
    return CString();
  }
  return name;
}

void CLeafwrightDoc::OnExtractPages() {
  CPublishHooks& hooks = PublishHooks();
  std::vector<int> pages;
  if (!hooks.pfnPromptExtractPages || !hooks.pfnPromptExtractPages(this, pages)) return;
  const CString name = ExtractPages(pages);
  if (name.IsEmpty()) return;
  if (!hooks.pfnStartInstance || !hooks.pfnStartInstance(name)) {
    CString message;
    message.Format(L"The pages were extracted to \"%s\", but the program could not be started on it.", name.GetString());
    Tell(message, MB_OK | MB_ICONERROR);
  }
}

void CLeafwrightDoc::OnSaveAsPdf() {
  CPublishHooks& hooks = PublishHooks();
  CString path;
  if (!hooks.pfnPromptPdfPath || !hooks.pfnPromptPdfPath(ProposePdfName(), path) || path.IsEmpty()) return;
  // A disk that cannot hold the file is told before the export, not after it.
  const uint64_t estimate = EstimatePdfSize(*this);
  if (const CString why = WhyNotWritten(path, estimate); why == kDiskFull) {
    CString failed;
    failed.Format(L"Failed to create the PDF file at\r\n%s.\r\n%s", path.GetString(), why.GetString());
    Tell(failed, MB_OK | MB_ICONERROR);
    return;
  }
  const int cut = std::max(path.ReverseFind(L'/'), path.ReverseFind(L'\\'));
  CString message;
  message.Format(L"Saving to file \"%s\"", path.Mid(cut + 1).GetString());
  CLocalIOProgress progress(&message, ShellHooks().pStatusBar);
  progress.Begin();
  progress.PushRange(1.0f);
  auto save = hooks.pfnSavePdf ? hooks.pfnSavePdf : &SaveDocumentAsPdfDocument;
  errno = 0;
  const bool ok = save(this, path.GetString(), &progress);
  const int failure = errno;
  progress.PopRange();
  progress.End();
  if (!ok) {
    CString why = failure == ENOSPC || failure == EDQUOT ? CString(kDiskFull)
                                                         : WhyNotWritten(path, std::max(estimate, kLittleRoom));
    if (why.IsEmpty()) why = L"The pages could not be written into it.";
    CString failed;
    failed.Format(L"Failed to create the PDF file at\r\n%s.\r\n%s", path.GetString(), why.GetString());
    Tell(failed, MB_OK | MB_ICONERROR);
  }
}

void CLeafwrightDoc::OnSaveAsPageFlip() {
  CPublishHooks& hooks = PublishHooks();
  CString folder;
  if (!hooks.pfnPromptFolder || !hooks.pfnPromptFolder(folder) || folder.IsEmpty()) return;
  std::wstring missing;
  if (!hooks.pfnSaveFlipBook && !FlipBookPlayerInstalled(&missing)) {
    Tell(CString(missing.c_str()), MB_OK | MB_ICONERROR);
    return;
  }
  const CString progressText(L"Save as SWF Publication");
  CLocalIOProgress progress(&progressText, ShellHooks().pStatusBar);
  progress.Begin();
  progress.PushRange(1.0f);
  auto save = hooks.pfnSaveFlipBook ? hooks.pfnSaveFlipBook : &SaveDocumentAsSWFFlipPages;
  errno = 0;
  const bool ok = save(this, folder.GetString(), &progress);
  const int failure = errno;  // the exporter's reason, before anything else sets errno
  progress.PopRange();
  progress.End();
  CString message;
  if (ok) {
    message.Format(L"Your publication has been created at\r\n%s.\r\nWould you like to preview it?",
                   folder.GetString());
    if (Tell(message, MB_YESNO | MB_ICONQUESTION) == IDYES && hooks.pfnOpenFile) {
      // Browsers do not run the package's player from file://: the package is served on the
      // loopback address and the browser opened there.
      const CString address = hooks.pfnPreviewFolder ? hooks.pfnPreviewFolder(folder) : PreviewFolder(folder);
      if (!address.IsEmpty()) {
        hooks.pfnOpenFile(address);
      } else {
        message.Format(L"The publication at \r\n%s\r\ncould not be served for its preview.", folder.GetString());
        Tell(message, MB_OK | MB_ICONERROR);
      }
    }
  } else {
    // The book is built beside the folder, so the disk has its room back once the export has
    // given up: only the exporter's reason tells that it ran out of it.
    CString why = failure == ENOSPC || failure == EDQUOT ? CString(kDiskFull)
                                                         : WhyNotWritten(folder + L"/index.html", kLittleRoom);
    if (why.IsEmpty()) why = L"Its pages or viewer files could not be written.";
    message.Format(L"Failed to create the page-flipping publication at\r\n%s.\r\n%s", folder.GetString(),
                   why.GetString());
    Tell(message, MB_OK | MB_ICONERROR);
  }
}

void CLeafwrightDoc::OnUpdatePublish(CCmdUI* pCmdUI) { pCmdUI->Enable(GetPagesCount() > 0); }
