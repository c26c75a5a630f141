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

// The ribbon's Home tab and its groups.
inline constexpr UINT ID_TAB_HOME = 200;
inline constexpr UINT ID_GROUP_FILE = 201;
inline constexpr UINT ID_GROUP_PAGES = 202;
// The File group's drop-down of recent files (its items are ID_FILE_MRU_FILE1...16).
inline constexpr UINT ID_FILE_RECENT_LIST = 203;
