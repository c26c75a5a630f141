// Flip-book export of publication documents (libFlarewing.so): the entry the publishing command
// calls and two folder helpers.
#pragma once

#include <string>

class CQorCommonProgress;
namespace Quirebook {
class CPublicationDoc;
}

// Writes the flip-book package of the document into outputFolder (which must exist; a final '/'
// is optional): index.html, the viewer (swf/), the page list (xml/Pages.xml), the texts (txt/),
// the scripts (js/), the Flash player for browsers (ruffle/), one movie a page (pages/) and the
// video clips as FLV (videos/). Without an installed player nothing is written and the call fails
// (FlipBookPlayerInstalled tells why). The start
// page is index.html in that folder. The progress (null allowed) runs from 0 to 1 inside the
// caller's range. True only when every part of the package was written; the video conversions
// are finished (or given up) before the call returns, and a clip that cannot be converted does
// not fail the export. The package is built in a hidden folder beside outputFolder and replaces
// it whole at the end, so a failed or killed export leaves the old one as it was; on failure
// errno tells why (ENOSPC: the disk is full).
bool SaveDocumentAsSWFFlipPages(Quirebook::CPublicationDoc* document, const wchar_t* outputFolder,
                                CQorCommonProgress* progress);

// True when the Flash player that every package carries is installed; otherwise false, and
// *message (when not null) is the sentence that tells the user what is missing and where it was
// looked for.
bool FlipBookPlayerInstalled(std::wstring* message);

// True when a regular file, or any other entry that is not a folder, lies anywhere below the
// folder. Symbolic links are entries of their own, never followed. False when there is none or
// the folder cannot be listed.
bool bFolderHasFiles(const wchar_t* folder);

// Deletes every entry below the folder (a symbolic link is removed itself, what it points to is
// left alone); with removeFolder, the emptied folders and the folder itself go too. Stops at the
// first entry that cannot be removed. False when anything failed, also when the folder exists but
// cannot be listed; true for a folder that does not exist.
bool bRemoveAllFiles(const wchar_t* folder, bool removeFolder);
