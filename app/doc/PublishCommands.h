// What the document's Extract, Save As PDF and Save As Page-Flip Publication commands ask of the
// window side (dialogs, starting programs) and which exporters they call. The window side sets
// the prompts; tests set fakes. A missing prompt ends its command without effect.
#pragma once

#include <afxwin.h>

#include <cstdint>
#include <vector>

class CLeafwrightDoc;
class CQorCommonProgress;
namespace Quirebook {
class CPublicationDoc;
}

struct CPublishHooks {
  // The extract dialog: the 0-based pages to extract, ascending; false when cancelled.
  bool (*pfnPromptExtractPages)(CLeafwrightDoc* doc, std::vector<int>& pages) = nullptr;
  // The PDF save dialog, proposing `name`; false when cancelled.
  bool (*pfnPromptPdfPath)(const CString& name, CString& path) = nullptr;
  // The folder browser ("Please select a folder"); false when cancelled.
  bool (*pfnPromptFolder)(CString& folder) = nullptr;
  // Starts a second instance of the program on the file; false when it could not be started.
  bool (*pfnStartInstance)(const CString& file) = nullptr;
  // Opens a file or an address with the desktop's program for it (the publication's preview).
  void (*pfnOpenFile)(const CString& file) = nullptr;
  // Serves a publication folder for its preview and returns the address to open, empty when it
  // cannot be served (PreviewFolder when null).
  CString (*pfnPreviewFolder)(const CString& folder) = nullptr;
  // The folder extracts of a never-saved document go to (the process's current folder when null).
  CString (*pfnCurrentDirectory)() = nullptr;
  // The exporters (the real ones when null).
  bool (*pfnSavePdf)(Quirebook::CPublicationDoc* doc, const wchar_t* path, CQorCommonProgress* progress) = nullptr;
  bool (*pfnSaveFlipBook)(Quirebook::CPublicationDoc* doc, const wchar_t* folder, CQorCommonProgress* progress) = nullptr;
};

CPublishHooks& PublishHooks();

// Serves the folder on the loopback address (one server a folder, kept until StopPreviews or the
// end of the process) and returns "http://127.0.0.1:<port>/index.html"; empty on failure.
// Why a file at `target` cannot be written, as a sentence for the user: its folder is missing or
// read-only, the file there cannot be replaced, or the disk has less than `needed` bytes free.
// Empty when none of these holds.
CString WhyNotWritten(const CString& target, uint64_t needed);
extern const wchar_t* const kDiskFull;  // WhyNotWritten's text for a disk without the room
// The least a PDF export of the document takes on disk (QorPDFExportingLib::EstimatePdfBytes).
uint64_t EstimatePdfSize(Quirebook::CPublicationDoc& doc);

CString PreviewFolder(const CString& folder);
void StopPreviews();
