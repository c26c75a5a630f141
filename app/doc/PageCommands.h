// The page commands of the document (New Page, Duplicate, Delete, the moves, the reversals and
// the go-to commands) and what they need of the document's two views: the editing view, whose
// shown page is the current page, and the thumbnail list, whose selection the commands act on.
// Both are found among the document's views by these interfaces.
#pragma once

#include <afxwin.h>

#include <vector>

namespace Quirebook {
class CDrawingPage;
}

// Command ids of the page commands and of the document's publishing commands.
inline constexpr UINT ID_PAGES_NEW = 32818;
inline constexpr UINT ID_PAGES_DUPLICATE = 32820;
inline constexpr UINT ID_PAGES_DELETE = 32821;
inline constexpr UINT ID_PAGES_REVERSE_MENU = 32823;
inline constexpr UINT ID_PAGES_REVERSE_SELECTED = 32824;
inline constexpr UINT ID_PAGES_REVERSE_ALL = 32826;
inline constexpr UINT ID_PAGES_MOVE_FIRST = 32827;
inline constexpr UINT ID_PAGES_MOVE_PREVIOUS = 32828;
inline constexpr UINT ID_PAGES_MOVE_LAST = 32829;
inline constexpr UINT ID_PAGES_MOVE_NEXT = 32830;
inline constexpr UINT ID_PAGES_EXTRACT = 32835;
inline constexpr UINT ID_PUBLISH_PDF = 32911;       // Save As PDF (the backstage's ID_SAVE_AS_PDF)
inline constexpr UINT ID_PUBLISH_FLIPBOOK = 32914;  // Save As Page-Flip Publication
inline constexpr UINT ID_PAGES_GOTO_FIRST = 32915;
inline constexpr UINT ID_PAGES_GOTO_PREVIOUS = 32916;
inline constexpr UINT ID_PAGES_GOTO_NEXT = 32917;
inline constexpr UINT ID_PAGES_GOTO_LAST = 32918;

// The thumbnail list as the page commands see it: an ordered selection of pages (the last one is
// the current page), each held by a reference while selected.
class IPagesSelectionList {
 public:
  virtual ~IPagesSelectionList() = default;
  virtual int GetSelectedCount() const = 0;
  virtual Quirebook::CDrawingPage* GetSelectedPage(int i) const = 0;
  virtual void ClearSelection() = 0;
  // Appends the page unless it is selected already.
  virtual void AddSelectedPage(Quirebook::CDrawingPage* page) = 0;
  // Repaints the row of the page at this index.
  virtual void RedrawPageRow(int index) = 0;
};

// The editing view as the page commands see it: the page it shows (null when none).
class IPageEditingView {
 public:
  virtual ~IPageEditingView() = default;
  virtual Quirebook::CDrawingPage* GetShownPage() const = 0;
};
