// Ids of the program's resources: string table entries, dialog templates and their controls.
#pragma once

// Strings.
#define IDR_MAINFRAME 128          // the document template's description
#define IDS_DELETE_SELECTED 136
#define IDS_PASTE_FAILED 139
#define IDS_COPY_FAILED 143
#define IDS_OBJNAME_TEXT 336
#define IDS_OBJNAME_IMAGE 337
#define IDS_OBJNAME_SHAPE 338
#define IDS_OBJNAME_GROUP 340
#define AFX_IDS_APP_TITLE 57344

// Theme commands (Style menu).
#define ID_THEME_OFFICE2010_BLUE 32771
#define ID_THEME_OFFICE2010_SILVER 32772
#define ID_THEME_OFFICE2010_BLACK 32773

// The new-document dialog.
#define IDD_NEWPDF_DLG 131
#define IDC_RADIO_BUILTIN 1023
#define IDC_LIST_PRESETS 1024
#define IDC_RADIO_CUSTOM 1025
#define IDC_EDIT_WIDTH 1026
#define IDC_SPIN_WIDTH 1027
#define IDC_EDIT_HEIGHT 1028
#define IDC_SPIN_HEIGHT 1029
#define IDC_EDIT_PAGECOUNT 1030
#define IDC_COMBO_UNITS 1031
#define IDC_SPIN_PAGECOUNT 1032
#define IDC_RADIO_PORTRAIT 1033
#define IDC_RADIO_LANDSCAPE 1034

// The About dialog.
#define IDD_ABOUTBOX 100
#define IDC_LINK_HOMEPAGE 1012
#define IDC_LINK_SALES 1014
#define IDC_LINK_SUPPORT 1015
#define IDC_LINK_AUTHOR 1016
#define IDC_STATIC_MAKER 1018
#define IDC_STATIC_PRODUCT 1019
#define IDC_STATIC_VERSION 1017
#ifndef ID_APP_ABOUT
#define ID_APP_ABOUT 57664
#endif

// The backstage view: its File button, tabs and the Recent page.
#define ID_FILE_BUTTON 348
#define IDS_TAB_RECENT 349
#define IDS_TAB_PRINT 140
#define IDD_BACKSTAGE_RECENT 330
#define IDC_RECENT_TITLE 1000
#define IDC_RECENT_FILE_LIST 1001
#define IDC_RECENT_SEPARATOR 1002
#define ID_SAVE_AS_PDF 32911
#define ID_SAVE_AS_FLIPBOOK 32914
#define ID_APP_OPTIONS 32878
#ifndef ID_APP_EXIT
#define ID_APP_EXIT 57665
#endif

// The extract dialog.
#define IDD_EXTRACT_PAGES 161
#define IDC_RADIO_CURRENT_PAGES 1057
#define IDC_RADIO_FROM_TO 1058
#define IDC_RADIO_PAGE_RANGE 1059
#define IDC_EDIT_FROM_PAGE 1060
#define IDC_EDIT_TO_PAGE 1061
#define IDC_STATIC_PAGE_COUNT 1062
#define IDC_EDIT_PAGE_RANGE 1063
