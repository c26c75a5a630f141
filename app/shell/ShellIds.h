// Command, pane and resource ids of the program's window.
#pragma once

#include <afxwin.h>

// The resources shared with the dialogs: string table, dialog templates, theme commands.
#include "resource.h"

// Go-to-page commands (status bar and ribbon).
inline constexpr UINT ID_GOTO_FIRST_PAGE = 32915;
inline constexpr UINT ID_GOTO_PREVIOUS_PAGE = 32916;
inline constexpr UINT ID_GOTO_NEXT_PAGE = 32917;
inline constexpr UINT ID_GOTO_LAST_PAGE = 32918;

// Status panes.
inline constexpr UINT ID_INDICATOR_PAGE_NUMBER = 1020;
inline constexpr UINT ID_INDICATOR_TIP_MESSAGE = 1021;
inline constexpr UINT ID_INDICATOR_PROGRESS = 1022;
inline constexpr UINT ID_INDICATOR_ZOOM = 383;
inline constexpr UINT ID_INDICATOR_ZOOM_SLIDER = 384;
inline constexpr UINT ID_INDICATOR_PAGE_COMBO = 385;
inline constexpr UINT IDC_PAGE_INDEX_COMBO = 386;

// (The File button, the backstage's tabs and its publishing, Options and Exit commands are in
// resource.h.)
inline constexpr UINT ID_EDIT_PASTE_SPECIAL = 57639;

// Commands of the keys and of the application that nothing carries out here: there is no help
// file to show, no split pane to move to, and printer and paper are chosen on the Print page.
inline constexpr UINT ID_FILE_PRINT_SETUP_CMD = 57606;
inline constexpr UINT ID_HELP_FINDER_CMD = 57667;
inline constexpr UINT ID_CONTEXT_HELP_CMD = 57669;
inline constexpr UINT ID_HELP_CMD = 57670;
inline constexpr UINT ID_DEFAULT_HELP_CMD = 57671;
inline constexpr UINT ID_NEXT_PANE_CMD = 57680;
inline constexpr UINT ID_PREV_PANE_CMD = 57681;

// Tabs and groups of the ribbon (string-table ids of their captions).
inline constexpr UINT ID_TAB_HOME = 108;
inline constexpr UINT ID_TAB_EDIT = 117;
inline constexpr UINT ID_TAB_VIEW = 345;
inline constexpr UINT ID_GROUP_CLIPBOARD = 314;
inline constexpr UINT ID_GROUP_EDIT = 112;
inline constexpr UINT ID_GROUP_FONT = 315;
inline constexpr UINT ID_GROUP_FONT_OPTION = 109;  // the Font group's option button
inline constexpr UINT ID_GROUP_SPACING = 126;
inline constexpr UINT ID_GROUP_FILL = 113;
inline constexpr UINT ID_GROUP_STROKE = 114;
inline constexpr UINT ID_GROUP_ARRANGEMENT = 115;
inline constexpr UINT ID_GROUP_PAGES = 118;
inline constexpr UINT ID_GROUP_INSERT = 119;
inline constexpr UINT ID_GROUP_EDIT_SHAPE = 343;
inline constexpr UINT ID_GROUP_INSERT_SHAPE = 135;
inline constexpr UINT ID_GROUP_RESIZING = 344;
inline constexpr UINT ID_GROUP_ZOOM = 346;
inline constexpr UINT ID_GROUP_VIEW = 347;

// Tools.
inline constexpr UINT ID_TOOL_SELECTION = 32774;
inline constexpr UINT ID_TOOL_ADD_TEXT = 32775;
inline constexpr UINT ID_TOOL_ADD_IMAGE = 32776;
inline constexpr UINT ID_TOOL_ADD_VIDEO = 32912;

// Font, spacing and shift (combo boxes, their galleries, buttons and spin edits).
inline constexpr UINT ID_FONT_FACE = 110;
inline constexpr UINT ID_GALLERY_FONT_FACE = 101;
inline constexpr UINT ID_FONT_SIZE = 111;
inline constexpr UINT ID_GALLERY_FONT_SIZE = 102;
inline constexpr UINT ID_FONT_GROW = 103;
inline constexpr UINT ID_FONT_SHRINK = 104;
inline constexpr UINT ID_FONT_BOLD = 105;
inline constexpr UINT ID_FONT_ITALIC = 106;
inline constexpr UINT ID_FONT_UNDERLINE = 107;
inline constexpr UINT ID_FONT_STRIKETHROUGH = 120;
inline constexpr UINT ID_FONT_SUBSCRIPT = 121;
inline constexpr UINT ID_FONT_SUPERSCRIPT = 124;
inline constexpr UINT ID_LINE_SPACING = 153;
inline constexpr UINT ID_CHARACTER_SPACING = 130;
inline constexpr UINT ID_BASELINE_SHIFT = 132;
inline constexpr UINT ID_HORIZONTAL_SHIFT = 133;

// Fill and stroke.
inline constexpr UINT ID_FILL_COLOR = 32777;
inline constexpr UINT ID_GALLERY_FILL_COLOR = 32791;
inline constexpr UINT ID_MORE_FILL_COLORS = 32908;
inline constexpr UINT ID_FILL_TRANSPARENCY = 32779;  // the drop-down and its gallery
inline constexpr UINT ID_CUSTOM_FILL_TRANSPARENCY = 32780;
inline constexpr UINT ID_FILL_NEEDED = 32778;
inline constexpr UINT ID_STROKE_COLOR = 32783;
inline constexpr UINT ID_GALLERY_STROKE_COLOR = 32883;
inline constexpr UINT ID_MORE_STROKE_COLORS = 32909;
inline constexpr UINT ID_STROKE_WIDTH = 32784;  // the drop-down and its gallery
inline constexpr UINT ID_CUSTOM_STROKE_WIDTH = 32785;
inline constexpr UINT ID_DASH_TYPE = 32786;  // the drop-down and its gallery
inline constexpr UINT ID_STROKE_TRANSPARENCY = 32788;  // the drop-down and its gallery
inline constexpr UINT ID_CUSTOM_STROKE_TRANSPARENCY = 32789;
inline constexpr UINT ID_STROKE_NEEDED = 32787;
inline constexpr UINT ID_TRANSPARENCY_ITEMS = 32881;  // the transparency collection

// Arrangement.
inline constexpr UINT ID_MOVE_TO_FRONT = 32800;
inline constexpr UINT ID_MOVE_TO_BACK = 32801;
inline constexpr UINT ID_MOVE_FORWARD = 32802;
inline constexpr UINT ID_MOVE_BACKWARD = 32803;
inline constexpr UINT ID_GROUPING = 32809;  // the Group split button
inline constexpr UINT ID_GROUP_OBJECTS = 32810;
inline constexpr UINT ID_UNGROUP_OBJECTS = 32811;
inline constexpr UINT ID_ALIGN_LEFT = 32793;
inline constexpr UINT ID_ALIGN_CENTER = 32794;
inline constexpr UINT ID_ALIGN_RIGHT = 32795;
inline constexpr UINT ID_ALIGN_TOP = 32796;
inline constexpr UINT ID_ALIGN_MIDDLE = 32797;
inline constexpr UINT ID_ALIGN_BOTTOM = 32798;
inline constexpr UINT ID_FLIP_HORIZONTAL = 32805;
inline constexpr UINT ID_FLIP_VERTICAL = 32806;
inline constexpr UINT ID_ROTATE = 32807;  // the drop-down and its gallery
inline constexpr UINT ID_CUSTOM_ANGLE = 32808;

// Pages.
inline constexpr UINT ID_PAGE_NEW = 32818;
inline constexpr UINT ID_PAGE_DUPLICATE = 32820;
inline constexpr UINT ID_PAGE_DELETE = 32821;
inline constexpr UINT ID_PAGE_REVERSE = 32823;
inline constexpr UINT ID_PAGE_REVERSE_SELECTED = 32824;
inline constexpr UINT ID_PAGE_REVERSE_ALL = 32826;
inline constexpr UINT ID_PAGE_MOVE_FIRST = 32827;
inline constexpr UINT ID_PAGE_MOVE_PREVIOUS = 32828;
inline constexpr UINT ID_PAGE_MOVE_LAST = 32829;
inline constexpr UINT ID_PAGE_MOVE_NEXT = 32830;
inline constexpr UINT ID_PAGE_CROP = 32831;
inline constexpr UINT ID_PAGE_ROTATE = 32832;
inline constexpr UINT ID_PAGE_EXTRACT = 32835;

// Insert, stamps and shapes.
inline constexpr UINT ID_CUSTOM_SHAPE = 32836;
inline constexpr UINT ID_ANCHOR_MOVE = 32837;
inline constexpr UINT ID_ANCHOR_ADD = 32838;
inline constexpr UINT ID_ANCHOR_DELETE = 32839;
inline constexpr UINT ID_ANCHOR_CONVERT = 32840;
inline constexpr UINT ID_ADD_STAMP = 32842;
inline constexpr UINT ID_ADD_NOTE = 32843;
inline constexpr UINT ID_WATERMARK_NEW = 32846;
inline constexpr UINT ID_WATERMARK_DELETE = 32848;
inline constexpr UINT ID_WATERMARK_UPDATE = 32850;
inline constexpr UINT ID_STAMP_DYNAMIC = 32900;
inline constexpr UINT ID_STAMP_SIGN_HERE = 32904;
inline constexpr UINT ID_STAMP_STANDARD_BUSINESS = 32907;
inline constexpr UINT ID_DRAW_RECTANGLE = 32890;
inline constexpr UINT ID_DRAW_ROUND_RECT = 32891;
inline constexpr UINT ID_ROUNDNESS = 1003;  // the scroll bar in the Rounded Rectangle list
inline constexpr UINT ID_DRAW_OVAL = 32892;
inline constexpr UINT ID_DRAW_POLYGON = 32893;
inline constexpr UINT ID_DRAW_LINE = 32894;
inline constexpr UINT ID_DRAW_ARROW = 32896;

// Resizing.
inline constexpr UINT ID_MAKE_SAME_WIDTH = 32852;
inline constexpr UINT ID_MAKE_SAME_HEIGHT = 32853;
inline constexpr UINT ID_MAKE_SAME_SIZE = 32854;
inline constexpr UINT ID_RESIZE_DOCUMENT = 32855;

// Zoom: the eighteen levels (12.5 % to 800 %), Zoom In, Zoom Out and Actual Size.
inline constexpr UINT ID_ZOOM_LEVEL_FIRST = 32856;  // 125 % ... 800 % are 32856 ... 32866
inline constexpr UINT ID_ZOOM_LEVEL_LAST = 32872;   // 75 % ... 12.5 % are 32867 ... 32872
inline constexpr UINT ID_ZOOM_IN = 32873;
inline constexpr UINT ID_ZOOM_OUT = 32874;
inline constexpr UINT ID_ZOOM_ACTUAL_SIZE = 32875;

// View.
inline constexpr UINT ID_VIEW_THUMBNAIL = 32876;
inline constexpr UINT ID_VIEW_BOOKMARK = 32877;
inline constexpr UINT ID_VIEW_STATUS_BAR = 59393;
