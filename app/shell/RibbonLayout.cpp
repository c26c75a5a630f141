#include "RibbonLayout.h"

#include <algorithm>
#include <functional>
#include <map>
#include <set>

#include <QorpGallery.h>

#include "ShellIds.h"

namespace {

RibbonItem Button(UINT id, const wchar_t* keyTip = nullptr) {
  RibbonItem r{RibbonKind::Button, id};
  r.keyTip = keyTip;
  return r;
}
RibbonItem WithList(RibbonKind kind, UINT id, std::vector<RibbonItem> list, const wchar_t* keyTip = nullptr) {
  RibbonItem r{kind, id};
  r.list = std::move(list);
  r.keyTip = keyTip;
  return r;
}
RibbonItem Split(UINT id, std::vector<RibbonItem> list, const wchar_t* keyTip = nullptr) {
  return WithList(RibbonKind::SplitButton, id, std::move(list), keyTip);
}
RibbonItem DropDown(UINT id, std::vector<RibbonItem> list) { return WithList(RibbonKind::DropDown, id, std::move(list)); }
RibbonItem Gallery(UINT id) { return RibbonItem{RibbonKind::Gallery, id}; }
RibbonItem CheckBox(UINT id) { return RibbonItem{RibbonKind::CheckBox, id}; }
RibbonItem Label(const wchar_t* text) {
  RibbonItem r{RibbonKind::Label, 0};
  r.text = text;
  return r;
}
RibbonItem Sized(RibbonKind kind, UINT id, int width) {
  RibbonItem r{kind, id};
  r.width = width;
  return r;
}
RibbonItem Combo(UINT id, int width, UINT galleryId) {
  RibbonItem r = Sized(RibbonKind::ComboGallery, id, width);
  r.list = {Gallery(galleryId)};
  return r;
}
RibbonItem Color(UINT id, UINT galleryId, UINT moreId) {
  return WithList(RibbonKind::ColorDropDown, id, {Button(QORP_ID_POPUPCOLOR_AUTOMATIC), Gallery(galleryId), Button(moreId)});
}
std::vector<RibbonItem> FromMenu(const std::vector<RibbonMenuEntry>& menu) {
  std::vector<RibbonItem> out;
  for (const RibbonMenuEntry& e : menu) out.push_back(Button(e.id));
  return out;
}

constexpr int kSpinEditWidth = 153;

// The Add Stamp list: each stamp menu entry captions the gallery of its stamps.
std::vector<RibbonItem> StampList();

}  // namespace

const std::vector<RibbonMenuEntry>& StyleMenu() {
  static const std::vector<RibbonMenuEntry> menu = {
      {ID_THEME_OFFICE2010_BLUE, L"Office 2010 Blue"},
      {ID_THEME_OFFICE2010_SILVER, L"Office 2010 Silver"},
      {ID_THEME_OFFICE2010_BLACK, L"Office 2010 Black"},
  };
  return menu;
}

const std::vector<RibbonMenuEntry>& ZoomInMenu() {
  static const std::vector<RibbonMenuEntry> menu = {
      {32856, L"125%"}, {32857, L"150%"}, {32858, L"175%"}, {32859, L"200%"}, {32860, L"250%"}, {32861, L"300%"},
      {32862, L"400%"}, {32863, L"500%"}, {32864, L"600%"}, {32865, L"700%"}, {32866, L"800%"},
  };
  return menu;
}

const std::vector<RibbonMenuEntry>& ZoomOutMenu() {
  static const std::vector<RibbonMenuEntry> menu = {
      {32867, L"75%"}, {32868, L"50%"}, {32869, L"25%"}, {32870, L"20%"}, {32871, L"16.7%"}, {32872, L"12.5%"},
  };
  return menu;
}

const std::vector<RibbonMenuEntry>& StampMenu() {
  static const std::vector<RibbonMenuEntry> menu = {
      {ID_STAMP_DYNAMIC, L"Dynamic"},
      {ID_STAMP_SIGN_HERE, L"Sign Here"},
      {ID_STAMP_STANDARD_BUSINESS, L"Standard Business"},
  };
  return menu;
}

namespace {
std::vector<RibbonItem> StampList() {
  std::vector<RibbonItem> out;
  for (const RibbonMenuEntry& e : StampMenu()) {
    out.push_back(Label(e.text));
    out.push_back(Gallery(e.id));
  }
  return out;
}
}  // namespace

const std::vector<RibbonTabSpec>& RibbonTabs() {
  static const std::vector<RibbonTabSpec> tabs = [] {
    std::vector<RibbonTabSpec> t;
    RibbonItem roundness = Sized(RibbonKind::ScrollBar, ID_ROUNDNESS, 200);
    roundness.pos = 50;
    t.push_back(
        {ID_TAB_HOME,
         {
             {ID_GROUP_CLIPBOARD,
              0,
              {Split(ID_EDIT_PASTE, {Button(ID_EDIT_PASTE), Button(ID_EDIT_PASTE_SPECIAL)}, L"V"), Button(ID_EDIT_CUT, L"X"),
               Button(ID_EDIT_COPY), Button(ID_EDIT_CLEAR)}},
             {ID_GROUP_EDIT,
              0,
              {Button(ID_TOOL_SELECTION), Button(ID_TOOL_ADD_TEXT), Button(ID_TOOL_ADD_IMAGE), Button(ID_TOOL_ADD_VIDEO)}},
             {ID_GROUP_FONT,
              ID_GROUP_FONT_OPTION,
              {Combo(ID_FONT_FACE, 158, ID_GALLERY_FONT_FACE), Combo(ID_FONT_SIZE, 66, ID_GALLERY_FONT_SIZE),
               Button(ID_FONT_GROW), Button(ID_FONT_SHRINK), Button(ID_FONT_BOLD), Button(ID_FONT_ITALIC),
               Button(ID_FONT_UNDERLINE), Button(ID_FONT_STRIKETHROUGH), Button(ID_FONT_SUBSCRIPT),
               Button(ID_FONT_SUPERSCRIPT)}},
             {ID_GROUP_SPACING,
              0,
              {Label(L"Spacing"), Sized(RibbonKind::SpinEdit, ID_LINE_SPACING, kSpinEditWidth),
               Sized(RibbonKind::SpinEdit, ID_CHARACTER_SPACING, kSpinEditWidth), Label(L"Shift"),
               Sized(RibbonKind::SpinEdit, ID_BASELINE_SHIFT, kSpinEditWidth),
               Sized(RibbonKind::SpinEdit, ID_HORIZONTAL_SHIFT, kSpinEditWidth)}},
             {ID_GROUP_FILL,
              0,
              {Color(ID_FILL_COLOR, ID_GALLERY_FILL_COLOR, ID_MORE_FILL_COLORS),
               DropDown(ID_FILL_TRANSPARENCY, {Gallery(ID_FILL_TRANSPARENCY), Button(ID_CUSTOM_FILL_TRANSPARENCY)}),
               CheckBox(ID_FILL_NEEDED)}},
             {ID_GROUP_STROKE,
              0,
              {Color(ID_STROKE_COLOR, ID_GALLERY_STROKE_COLOR, ID_MORE_STROKE_COLORS),
               DropDown(ID_STROKE_WIDTH, {Gallery(ID_STROKE_WIDTH), Button(ID_CUSTOM_STROKE_WIDTH)}),
               DropDown(ID_DASH_TYPE, {Gallery(ID_DASH_TYPE)}),
               DropDown(ID_STROKE_TRANSPARENCY, {Gallery(ID_STROKE_TRANSPARENCY), Button(ID_CUSTOM_STROKE_TRANSPARENCY)}),
               CheckBox(ID_STROKE_NEEDED)}},
             {ID_GROUP_ARRANGEMENT,
              0,
              {Split(ID_MOVE_FORWARD, {Button(ID_MOVE_FORWARD), Button(ID_MOVE_TO_FRONT)}),
               Split(ID_MOVE_BACKWARD, {Button(ID_MOVE_BACKWARD), Button(ID_MOVE_TO_BACK)}),
               Split(ID_GROUPING, {Button(ID_GROUP_OBJECTS), Button(ID_UNGROUP_OBJECTS)}),
               DropDown(ID_ALIGN_LEFT, {Button(ID_ALIGN_LEFT), Button(ID_ALIGN_CENTER), Button(ID_ALIGN_RIGHT),
                                        Button(ID_ALIGN_TOP), Button(ID_ALIGN_MIDDLE), Button(ID_ALIGN_BOTTOM)}),
               DropDown(ID_FLIP_HORIZONTAL, {Button(ID_FLIP_HORIZONTAL), Button(ID_FLIP_VERTICAL)}),
               DropDown(ID_ROTATE, {Gallery(ID_ROTATE), Button(ID_CUSTOM_ANGLE)})}},
         }});
    t.push_back(
        {ID_TAB_EDIT,
         {
             {ID_GROUP_PAGES,
              0,
              {Button(ID_PAGE_NEW), Button(ID_PAGE_DUPLICATE), Button(ID_PAGE_DELETE),
               Split(ID_PAGE_MOVE_PREVIOUS, {Button(ID_PAGE_MOVE_PREVIOUS), Button(ID_PAGE_MOVE_FIRST)}),
               Split(ID_PAGE_MOVE_NEXT, {Button(ID_PAGE_MOVE_NEXT), Button(ID_PAGE_MOVE_LAST)}),
               DropDown(ID_PAGE_REVERSE, {Button(ID_PAGE_REVERSE_SELECTED), Button(ID_PAGE_REVERSE_ALL)}),
               Button(ID_PAGE_CROP), Button(ID_PAGE_ROTATE), Button(ID_PAGE_EXTRACT)}},
             {ID_GROUP_INSERT,
              0,
              {Button(ID_TOOL_ADD_TEXT), Button(ID_TOOL_ADD_IMAGE), Button(ID_CUSTOM_SHAPE),
               WithList(RibbonKind::MenuButton, ID_ADD_STAMP, StampList()), Button(ID_ADD_NOTE),
               Split(ID_WATERMARK_NEW,
                     {Button(ID_WATERMARK_NEW), Button(ID_WATERMARK_DELETE), Button(ID_WATERMARK_UPDATE)})}},
             {ID_GROUP_EDIT_SHAPE,
              0,
              {Button(ID_ANCHOR_MOVE), Button(ID_ANCHOR_ADD), Button(ID_ANCHOR_DELETE), Button(ID_ANCHOR_CONVERT)}},
             {ID_GROUP_INSERT_SHAPE,
              0,
              {Button(ID_DRAW_RECTANGLE), Split(ID_DRAW_ROUND_RECT, {Label(L"Roundness:"), roundness}),
               Button(ID_DRAW_OVAL), Button(ID_DRAW_POLYGON), Button(ID_DRAW_LINE), Button(ID_DRAW_ARROW)}},
             {ID_GROUP_RESIZING,
              0,
              {Button(ID_RESIZE_DOCUMENT), Button(ID_MAKE_SAME_WIDTH), Button(ID_MAKE_SAME_HEIGHT),
               Button(ID_MAKE_SAME_SIZE)}},
         }});
    t.push_back({ID_TAB_VIEW,
                 {
                     {ID_GROUP_ZOOM,
                      0,
                      {Split(ID_ZOOM_IN, FromMenu(ZoomInMenu())), Split(ID_ZOOM_OUT, FromMenu(ZoomOutMenu())),
                       Button(ID_ZOOM_ACTUAL_SIZE)}},
                     {ID_GROUP_VIEW,
                      0,
                      {CheckBox(ID_VIEW_STATUS_BAR), CheckBox(ID_VIEW_THUMBNAIL), CheckBox(ID_VIEW_BOOKMARK)}},
                 }});
    return t;
  }();
  return tabs;
}

const std::vector<UINT>& RibbonQuickAccess() {
  static const std::vector<UINT> ids = {ID_FILE_NEW,         ID_FILE_OPEN,  ID_FILE_SAVE_AS, ID_SAVE_AS_PDF,
                                        ID_SAVE_AS_FLIPBOOK, ID_EDIT_UNDO, ID_EDIT_REDO};
  return ids;
}

const std::vector<UINT>& BackstageCommandsBeforeTabs() {
  static const std::vector<UINT> ids = {ID_FILE_NEW,         ID_FILE_OPEN, ID_FILE_SAVE, ID_FILE_SAVE_AS,
                                        ID_SAVE_AS_PDF, ID_SAVE_AS_FLIPBOOK};
  return ids;
}

const std::vector<UINT>& BackstageCommandsAfterTabs() {
  static const std::vector<UINT> ids = {ID_APP_OPTIONS, ID_APP_EXIT};
  return ids;
}

const std::vector<UINT>& RibbonLargeIcons() {
  static const std::vector<UINT> ids = {
      ID_EDIT_PASTE,    ID_TOOL_SELECTION, ID_TOOL_ADD_TEXT, ID_TOOL_ADD_IMAGE,  ID_TOOL_ADD_VIDEO,
      ID_CUSTOM_SHAPE,  ID_ANCHOR_MOVE,    ID_ADD_STAMP,     ID_ADD_NOTE,        ID_WATERMARK_NEW,
      ID_RESIZE_DOCUMENT, ID_ZOOM_IN,      ID_ZOOM_OUT,      ID_ZOOM_ACTUAL_SIZE,
      // The File commands of the backstage view.
      ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_APP_EXIT,
  };
  return ids;
}

namespace {

// What the commands that are not answered yet wait for.
constexpr const wchar_t* kViewFont = L"the page-editing view's character formats";

}  // namespace

const std::vector<CommandRoute>& RibbonCommandRoutes() {
  static const std::vector<CommandRoute> routes = [] {
    using T = CommandTarget;
    std::vector<CommandRoute> r = {
        // The frame.
        {ID_THEME_OFFICE2010_BLUE, T::Frame, nullptr},
        {ID_THEME_OFFICE2010_SILVER, T::Frame, nullptr},
        {ID_THEME_OFFICE2010_BLACK, T::Frame, nullptr},
        {ID_ADD_STAMP, T::Frame, nullptr},  // does nothing: the stamps are in its list
        {ID_VIEW_THUMBNAIL, T::Frame, nullptr},
        {ID_VIEW_STATUS_BAR, T::Frame, nullptr},
        // The application.
        {ID_FILE_NEW, T::App, nullptr},
        {ID_FILE_OPEN, T::App, nullptr},
        {ID_APP_ABOUT, T::App, nullptr},
        {ID_APP_EXIT, T::App, nullptr},
        // The document.
        {ID_FILE_SAVE, T::Document, nullptr},
        {ID_FILE_SAVE_AS, T::Document, nullptr},
        {ID_SAVE_AS_PDF, T::Document, nullptr},
        {ID_SAVE_AS_FLIPBOOK, T::Document, nullptr},
        {ID_PAGE_NEW, T::Document, nullptr},
        {ID_PAGE_DUPLICATE, T::Document, nullptr},
        {ID_PAGE_DELETE, T::Document, nullptr},
        {ID_PAGE_REVERSE_SELECTED, T::Document, nullptr},
        {ID_PAGE_REVERSE_ALL, T::Document, nullptr},
        {ID_PAGE_MOVE_FIRST, T::Document, nullptr},
        {ID_PAGE_MOVE_PREVIOUS, T::Document, nullptr},
        {ID_PAGE_MOVE_LAST, T::Document, nullptr},
        {ID_PAGE_MOVE_NEXT, T::Document, nullptr},
        {ID_PAGE_EXTRACT, T::Document, nullptr},
        {ID_EDIT_UNDO, T::Document, nullptr},  // the view takes them first while a text is edited
        {ID_EDIT_REDO, T::Document, nullptr},
        // Nothing answers these.
        {ID_PAGE_CROP, T::NoHandler, nullptr},
        {ID_PAGE_ROTATE, T::NoHandler, nullptr},
        {ID_ADD_NOTE, T::NoHandler, nullptr},
        {ID_WATERMARK_NEW, T::NoHandler, nullptr},
        {ID_WATERMARK_DELETE, T::NoHandler, nullptr},
        {ID_WATERMARK_UPDATE, T::NoHandler, nullptr},
        {ID_RESIZE_DOCUMENT, T::NoHandler, nullptr},
        {ID_VIEW_BOOKMARK, T::NoHandler, nullptr},
        {ID_APP_OPTIONS, T::NoHandler, nullptr},
        {ID_EDIT_PASTE_SPECIAL, T::NoHandler, nullptr},
        {QORP_ID_POPUPCOLOR_AUTOMATIC, T::NoHandler, nullptr},
        // The keys F1, Shift+F1, F6 and Shift+F6, the other help commands and Print Setup.
        {ID_HELP_CMD, T::NoHandler, nullptr},
        {ID_CONTEXT_HELP_CMD, T::NoHandler, nullptr},
        {ID_HELP_FINDER_CMD, T::NoHandler, nullptr},
        {ID_DEFAULT_HELP_CMD, T::NoHandler, nullptr},
        {ID_NEXT_PANE_CMD, T::NoHandler, nullptr},
        {ID_PREV_PANE_CMD, T::NoHandler, nullptr},
        {ID_FILE_PRINT_SETUP_CMD, T::NoHandler, nullptr},
        // A drop-down that only opens its list (of page commands).
        {ID_PAGE_REVERSE, T::NoHandler, nullptr},
    };
    // The view: clipboard, tools, font, spacing, fill, stroke, arrangement, shapes, resizing,
    // zoom and stamps.
    const struct {
      std::vector<UINT> ids;
      const wchar_t* awaiting;
    } view[] = {
        {{ID_EDIT_PASTE, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_CLEAR}, nullptr},
        {{ID_ROUNDNESS}, nullptr},
        {{ID_TOOL_ADD_TEXT, ID_TOOL_ADD_IMAGE, ID_TOOL_ADD_VIDEO, ID_CUSTOM_STROKE_WIDTH, ID_CUSTOM_ANGLE}, nullptr},
        {{ID_TOOL_SELECTION, ID_CUSTOM_SHAPE, ID_ANCHOR_MOVE, ID_ANCHOR_ADD, ID_ANCHOR_DELETE, ID_ANCHOR_CONVERT,
          ID_DRAW_RECTANGLE, ID_DRAW_ROUND_RECT, ID_DRAW_OVAL, ID_DRAW_POLYGON, ID_DRAW_LINE, ID_DRAW_ARROW},
         nullptr},
        {{ID_FONT_GROW, ID_FONT_SHRINK, ID_FONT_BOLD, ID_FONT_ITALIC, ID_FONT_UNDERLINE, ID_FONT_STRIKETHROUGH,
          ID_FONT_SUBSCRIPT, ID_FONT_SUPERSCRIPT, ID_LINE_SPACING},
         nullptr},
        {{ID_FONT_SIZE, ID_GALLERY_FONT_SIZE, ID_CHARACTER_SPACING, ID_BASELINE_SHIFT, ID_HORIZONTAL_SHIFT}, nullptr},
        {{ID_FONT_FACE, ID_GALLERY_FONT_FACE}, nullptr},
        {{ID_GROUP_FONT_OPTION}, kViewFont},
        {{ID_FILL_COLOR, ID_GALLERY_FILL_COLOR, ID_FILL_TRANSPARENCY, ID_CUSTOM_FILL_TRANSPARENCY, ID_FILL_NEEDED,
          ID_STROKE_COLOR, ID_GALLERY_STROKE_COLOR, ID_STROKE_WIDTH, ID_DASH_TYPE, ID_STROKE_TRANSPARENCY,
          ID_CUSTOM_STROKE_TRANSPARENCY, ID_STROKE_NEEDED, ID_ROTATE},
         nullptr},
        {{ID_MORE_FILL_COLORS, ID_MORE_STROKE_COLORS}, nullptr},
        {{ID_GROUPING}, nullptr},
        {{ID_MOVE_FORWARD, ID_MOVE_TO_FRONT, ID_MOVE_BACKWARD, ID_MOVE_TO_BACK, ID_GROUP_OBJECTS, ID_UNGROUP_OBJECTS,
          ID_ALIGN_LEFT, ID_ALIGN_CENTER, ID_ALIGN_RIGHT, ID_ALIGN_TOP, ID_ALIGN_MIDDLE, ID_ALIGN_BOTTOM,
          ID_FLIP_HORIZONTAL, ID_FLIP_VERTICAL, ID_MAKE_SAME_WIDTH, ID_MAKE_SAME_HEIGHT, ID_MAKE_SAME_SIZE},
         nullptr},
        {{ID_STAMP_DYNAMIC, ID_STAMP_SIGN_HERE, ID_STAMP_STANDARD_BUSINESS}, nullptr},
        {{ID_ZOOM_IN, ID_ZOOM_OUT, ID_ZOOM_ACTUAL_SIZE}, nullptr},
    };
    for (const auto& v : view)
      for (UINT id : v.ids) r.push_back({id, T::View, v.awaiting});
    for (const RibbonMenuEntry& e : ZoomInMenu()) r.push_back({e.id, T::View, nullptr});
    for (const RibbonMenuEntry& e : ZoomOutMenu()) r.push_back({e.id, T::View, nullptr});
    return r;
  }();
  return routes;
}

const CommandRoute* FindCommandRoute(UINT nId) {
  for (const CommandRoute& r : RibbonCommandRoutes())
    if (r.id == nId) return &r;
  return nullptr;
}

std::vector<UINT> RibbonCommandIds() {
  std::vector<UINT> out;
  std::set<UINT> seen;
  auto add = [&](UINT id) {
    if (id != 0 && seen.insert(id).second) out.push_back(id);
  };
  std::function<void(const RibbonItem&)> walk = [&](const RibbonItem& item) {
    add(item.id);
    for (const RibbonItem& sub : item.list) walk(sub);
  };
  for (const RibbonTabSpec& tab : RibbonTabs())
    for (const RibbonGroupSpec& group : tab.groups) {
      add(group.optionId);
      for (const RibbonItem& item : group.items) walk(item);
    }
  for (UINT id : RibbonQuickAccess()) add(id);
  for (const RibbonMenuEntry& e : StyleMenu()) add(e.id);
  add(ID_APP_ABOUT);
  for (UINT id : BackstageCommandsBeforeTabs()) add(id);
  for (UINT id : BackstageCommandsAfterTabs()) add(id);
  return out;
}

namespace {

// The description, caption and (for edits) label of every id the ribbon shows. Captions are the
// program's own, spelling included.
const std::map<UINT, const wchar_t*>& RibbonStrings() {
  static const std::map<UINT, const wchar_t*> strings = {
      // File button, backstage, quick access and tab row.
      {ID_FILE_BUTTON, L"Click here to see everything you can do with PDF document\n&File"},
      {ID_FILE_NEW, L"Create a new document\n&New"},
      {ID_FILE_OPEN, L"Open a PDF or a Leafwright document\n&Open"},
      {ID_FILE_SAVE, L"Save the document\n&Save"},
      {ID_FILE_SAVE_AS, L"Save the document under a new name\nSave &As"},
      {ID_SAVE_AS_PDF, L"Publish the document as a PDF file\nSave As PDF"},
      {ID_SAVE_AS_FLIPBOOK, L"Publish the document as a page-flip book for the web browser\nSave As Page-Flip Publication"},
      {IDS_TAB_RECENT, L"Documents opened before\nRecent"},
      {IDS_TAB_PRINT, L"Print the document, several pages to a sheet\n&Print"},
      {ID_APP_OPTIONS, L"Settings of the program\nOp&tions"},
      {ID_APP_EXIT, L"Close the program\nExit"},
      {ID_APP_ABOUT, L"Show the program's name, version and addresses\nAbout"},
      {ID_EDIT_UNDO, L"Undo the last change\nUndo"},
      {ID_EDIT_REDO, L"Redo the change undone last\nRedo"},
      {ID_THEME_OFFICE2010_BLUE, L"Blue colour theme\nOffice 2010 Blue"},
      {ID_THEME_OFFICE2010_SILVER, L"Silver colour theme\nOffice 2010 Silver"},
      {ID_THEME_OFFICE2010_BLACK, L"Black colour theme\nOffice 2010 Black"},
      // Tabs and groups.
      {ID_TAB_HOME, L"\n&Home"},
      {ID_TAB_EDIT, L"\nEdit"},
      {ID_TAB_VIEW, L"\nView"},
      {ID_GROUP_CLIPBOARD, L"\nClipboard"},
      {ID_GROUP_EDIT, L"\nEdit"},
      {ID_GROUP_FONT, L"\nFont"},
      {ID_GROUP_FONT_OPTION, L"Show the Font dialog box\nF&ont"},
      {ID_GROUP_SPACING, L"\nSpacing and Shift"},
      {ID_GROUP_FILL, L"\nFill Style"},
      {ID_GROUP_STROKE, L"\nStroke Style"},
      {ID_GROUP_ARRANGEMENT, L"\nArrangement"},
      {ID_GROUP_PAGES, L"\nPages"},
      {ID_GROUP_INSERT, L"\nInsert"},
      {ID_GROUP_EDIT_SHAPE, L"\nEdit Shape"},
      {ID_GROUP_INSERT_SHAPE, L"\nInsert Shape"},
      {ID_GROUP_RESIZING, L"\nResizing"},
      {ID_GROUP_ZOOM, L"\nZoom View"},
      {ID_GROUP_VIEW, L"\nView"},
      // Clipboard.
      {ID_EDIT_PASTE, L"Insert the contents of the clipboard\nPaste"},
      {ID_EDIT_PASTE_SPECIAL, L"Insert the contents of the clipboard with options\nPaste Special"},
      {ID_EDIT_CUT, L"Cut the selection and put it on the clipboard\nCut"},
      {ID_EDIT_COPY, L"Copy the selection to the clipboard\nCopy"},
      {ID_EDIT_CLEAR, L"Delete the selection\nErase"},
      // Tools.
      {ID_TOOL_SELECTION, L"Select and move objects on the page\nSelection Tool"},
      {ID_TOOL_ADD_TEXT, L"Draw a text box and type into it\nAdd Text"},
      {ID_TOOL_ADD_IMAGE, L"Insert a picture from a file\nAdd Image"},
      {ID_TOOL_ADD_VIDEO, L"Insert a video clip from a file\nAdd Video"},
      // Font.
      {ID_FONT_FACE, L"Change the font face\nFont"},
      {ID_GALLERY_FONT_FACE, L"The fonts of this computer\nFont Face"},
      {ID_FONT_SIZE, L"Change the font size\nFont Size"},
      {ID_GALLERY_FONT_SIZE, L"Font sizes in points\nFont Size"},
      {ID_FONT_GROW, L"Make the text larger\nIncrease  the font size"},
      {ID_FONT_SHRINK, L"Make the text smaller\nDecrease the font size"},
      {ID_FONT_BOLD, L"Make the text bold\nBold"},
      {ID_FONT_ITALIC, L"Italicize the text\nItalic"},
      {ID_FONT_UNDERLINE, L"Underline the text\nUnderline"},
      {ID_FONT_STRIKETHROUGH, L"Draw a line through the middle of the text\nStrikethrough"},
      {ID_FONT_SUBSCRIPT, L"Type small letters below the text baseline\nSubscript"},
      {ID_FONT_SUPERSCRIPT, L"Type small letters above the line of text\nSuperscript"},
      // Spacing and shift.
      {ID_LINE_SPACING, L"The gap below the line of the caret\nLine Spacing\nLine:"},
      {ID_CHARACTER_SPACING, L"The space between characters\nCharacter Spacing\nCharacter:"},
      {ID_BASELINE_SHIFT, L"Raise or lower characters from the baseline\nBaseline Shift\nBaseline:"},
      {ID_HORIZONTAL_SHIFT, L"Move characters to the left or right\nHorizontal Shift\nHorizon:"},
      // Fill.
      {ID_FILL_COLOR, L"Fill the selected objects with the current fill colour\nFilled Color"},
      {ID_GALLERY_FILL_COLOR, L"Colours for the fill\nFilled Color"},
      {ID_MORE_FILL_COLORS, L"Choose any fill colour\nMore Filled Colors"},
      {ID_FILL_TRANSPARENCY, L"How transparent the fill is\nTransparency"},
      {ID_CUSTOM_FILL_TRANSPARENCY, L"Enter the transparency of the fill\nCustom Transparency..."},
      {ID_FILL_NEEDED, L"Fill the inside of the selected objects\nFill Needed"},
      // Stroke.
      {ID_STROKE_COLOR, L"Outline the selected objects in the current stroke colour\nStroked Color"},
      {ID_GALLERY_STROKE_COLOR, L"Colours for the outline\nStroked Color"},
      {ID_MORE_STROKE_COLORS, L"Choose any outline colour\nMore Stroked Colors"},
      {ID_STROKE_WIDTH, L"How wide the outline is\nStroke Width"},
      {ID_CUSTOM_STROKE_WIDTH, L"Enter the width of the outline\nCustom width..."},
      {ID_DASH_TYPE, L"Dashes of the outline\nDash Type"},
      {ID_STROKE_TRANSPARENCY, L"How transparent the outline is\nTransparency"},
      {ID_CUSTOM_STROKE_TRANSPARENCY, L"Enter the transparency of the outline\nCustom Transparency..."},
      {ID_STROKE_NEEDED, L"Draw the outline of the selected objects\nStroke Needed"},
      {QORP_ID_POPUPCOLOR_AUTOMATIC, L"The automatic colour\nAutomatic"},
      // Arrangement.
      {ID_MOVE_FORWARD, L"Bring the selected objects forward one step\nMove Forward"},
      {ID_MOVE_TO_FRONT, L"Bring the selected objects in front of all others\nMove to Front"},
      {ID_MOVE_BACKWARD, L"Send the selected objects back one step\nMove Backward"},
      {ID_MOVE_TO_BACK, L"Send the selected objects behind all others\nMove to Back"},
      {ID_GROUPING, L"Group the selected objects\nGroup"},
      {ID_GROUP_OBJECTS, L"Group the selected objects into one\nGroup"},
      {ID_UNGROUP_OBJECTS, L"Break the selected group into its objects\nUngroup"},
      {ID_ALIGN_LEFT, L"Line the selected objects up on their left edges\nAlign Left"},
      {ID_ALIGN_CENTER, L"Line the selected objects up on their centres\nAlign Center"},
      {ID_ALIGN_RIGHT, L"Line the selected objects up on their right edges\nAlign Right"},
      {ID_ALIGN_TOP, L"Line the selected objects up on their tops\nAlign Top"},
      {ID_ALIGN_MIDDLE, L"Line the selected objects up on their middles\nAlign Middle"},
      {ID_ALIGN_BOTTOM, L"Line the selected objects up on their bottoms\nAlign Bottom"},
      {ID_FLIP_HORIZONTAL, L"Mirror the selected objects left to right\nFlip Horizontally"},
      {ID_FLIP_VERTICAL, L"Mirror the selected objects top to bottom\nFlip Vertically"},
      {ID_ROTATE, L"Turn the selected objects\nRotate"},
      {ID_CUSTOM_ANGLE, L"Enter the angle of the selected objects\nCustom Angle..."},
      // Pages.
      {ID_PAGE_NEW, L"Add a new page after the current one\nNew Page"},
      {ID_PAGE_DUPLICATE, L"Copy the selected pages\nDuplicate Pages"},
      {ID_PAGE_DELETE, L"Delete the selected pages\nDelete Pages"},
      {ID_PAGE_MOVE_PREVIOUS, L"Move the selected pages one place up\nMove Previous"},
      {ID_PAGE_MOVE_FIRST, L"Move the selected pages to the beginning\nMove to First"},
      {ID_PAGE_MOVE_NEXT, L"Move the selected pages one place down\nMove Next"},
      {ID_PAGE_MOVE_LAST, L"Move the selected pages to the end\nMove to Last"},
      {ID_PAGE_REVERSE, L"Reverse the order of pages\nReverse Order"},
      {ID_PAGE_REVERSE_SELECTED, L"Reverse the order of the selected pages\nAll Selected Pages"},
      {ID_PAGE_REVERSE_ALL, L"Reverse the order of every page\nAll Pages"},
      {ID_PAGE_CROP, L"Crop the page\nCrop Page"},
      {ID_PAGE_ROTATE, L"Rotate the pages\nRotate Pages"},
      {ID_PAGE_EXTRACT, L"Save a range of pages as files of their own\nExtract"},
      // Insert.
      {ID_CUSTOM_SHAPE, L"Draw a shape of straight and curved segments\nCustom Shape"},
      {ID_ADD_STAMP, L"Put a stamp on the page\nAdd Stamp"},
      {ID_ADD_NOTE, L"Add a note to the page\nAdd Note"},
      {ID_WATERMARK_NEW, L"Add a watermark to the pages\nNew Watermark"},
      {ID_WATERMARK_DELETE, L"Remove the watermark\nDelete Watermark"},
      {ID_WATERMARK_UPDATE, L"Change the watermark\nUpdate Watermark"},
      {ID_STAMP_DYNAMIC, L"A stamp with today's date and your name\nDynamic"},
      {ID_STAMP_SIGN_HERE, L"A sign-here stamp\nSign Here"},
      {ID_STAMP_STANDARD_BUSINESS, L"A standard business stamp\nStandard Business"},
      // Edit shape.
      {ID_ANCHOR_MOVE, L"Move the anchors of a shape\nMove Anchor"},
      {ID_ANCHOR_ADD, L"Add an anchor to a shape\nAdd Anchor"},
      {ID_ANCHOR_DELETE, L"Delete an anchor of a shape\nDelete Anchor"},
      {ID_ANCHOR_CONVERT, L"Turn a corner anchor into a smooth one or back\nConvert Anchor"},
      // Insert shape.
      {ID_DRAW_RECTANGLE, L"Draw a rectangle\nRectangle Tool"},
      {ID_DRAW_ROUND_RECT, L"Draw a rectangle with rounded corners\nRounded Rectangle"},
      {ID_ROUNDNESS, L"How round the corners are\nRoundness"},
      {ID_DRAW_OVAL, L"Draw an oval\nOval Tool"},
      {ID_DRAW_POLYGON, L"Draw a polygon\nPolygon Tool"},
      {ID_DRAW_LINE, L"Draw a line\nLine"},
      {ID_DRAW_ARROW, L"Draw an arrow\nArrow"},
      // Resizing.
      {ID_RESIZE_DOCUMENT, L"Change the size of the pages\nResize Document"},
      {ID_MAKE_SAME_WIDTH, L"Give the selected objects the same width\nMake Same Width"},
      {ID_MAKE_SAME_HEIGHT, L"Give the selected objects the same height\nMake Same Height"},
      {ID_MAKE_SAME_SIZE, L"Give the selected objects the same size\nMake Same Size"},
      // Zoom and view.
      {ID_ZOOM_IN, L"Show the page larger\nZoom In"},
      {ID_ZOOM_OUT, L"Show the page smaller\nZoom Out"},
      {ID_ZOOM_ACTUAL_SIZE, L"Show the page at 100%\nActual Size"},
      {ID_VIEW_STATUS_BAR, L"Show or hide the status bar\nStatus Bar"},
      {ID_VIEW_THUMBNAIL, L"Show or hide the page thumbnails\nThumbnail View"},
      {ID_VIEW_BOOKMARK, L"Show or hide the bookmarks\nBookmark View"},
  };
  return strings;
}

}  // namespace

bool LoadRibbonString(UINT nId, CString& strEntry) {
  const auto& strings = RibbonStrings();
  const auto it = strings.find(nId);
  if (it != strings.end()) {
    strEntry = it->second;
    return true;
  }
  // The zoom levels: the text of their menus.
  for (const auto* menu : {&ZoomInMenu(), &ZoomOutMenu()})
    for (const RibbonMenuEntry& e : *menu)
      if (e.id == nId) {
        strEntry.Format(L"Show the page at %s\n%s", e.text, e.text);
        return true;
      }
  return false;
}
