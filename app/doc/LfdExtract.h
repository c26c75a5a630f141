// Extracted page files (".lfd"): chosen pages of a document with their pictures, the embedded
// fonts their texts use and, when they hold video objects, their clips. Layout (little-endian;
// docs/formats.md, "Extracted page file"):
//   0 "EPDF"   4 "2000"   8 "2010"
//   12 section header "Page"   24 "Dibs"   36 "Font"   [48 "avst", only when clips are stored]
//   then the sections in the same order, laid out as in the document file.
// The document file reader opens these files too (CCacheLfwPageContent).
#pragma once

#include <string>
#include <vector>

#include <quirebook/PublicationDoc.h>

class CQorCommonProgress;

inline constexpr char kLfdFileTag[5] = "EPDF";

// Writes the pages at `pages` (0-based document indices, ascending) into the file at its
// current position. False, with the reason in *error, for an empty or out-of-range page list or
// a section that cannot be written (the file must then be abandoned). Only the document's fonts
// that the pages use are written; the document's font manager is only read. Progress (may be
// null) runs through the shares 0.7, 0.15 and 0.15 (0.6, 0.15, 0.15 and 0.1 with clips).
bool WriteExtractedPages(CPublicationDoc* doc, const std::vector<int>& pages, CFile& file,
                         CQorCommonProgress* progress, CString* error);

// The first free name for an extract of the document at docPath (empty: never saved) in a folder
// where exists(path) tells which names are taken: "<folder>/Pages From <name>.lfd", then
// "<folder>/Pages From <name>1.lfd", 2, ... The folder is the document's folder, or
// currentDir when the path has none; <name> is the file name without its last extension, or
// "untitled". Both separators are folder separators.
CString ChooseExtractFileName(const CString& docPath, const CString& currentDir, bool (*exists)(const CString& path));
