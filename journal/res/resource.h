// Resource ids of the journal program: dialogs, controls, strings, pictures.
#pragma once

// Dialogs
#define IDD_JOURNAL 102
#define IDD_CALENDAR 143
#define IDD_SEARCH 144

// Controls of the main dialog
#define IDC_EDITOR 1000
#define IDC_PREV_DAY 1002
#define IDC_NEXT_DAY 1003
#define IDC_TODAY 1004
#define IDC_PREV_MONTH 1005
#define IDC_NEXT_MONTH 1006
#define IDC_WEATHER 1007
#define IDC_PREV_YEAR 1008
#define IDC_MOOD 1009
#define IDC_NEXT_YEAR 1010
#define IDC_ANNIVERSARY 1016
#define IDC_CALENDAR 1018
#define IDC_TITLE_GROUP 1019
#define IDC_SEARCH 1020
#define IDC_SIZE_GRIP 1021
#define IDC_CALENDAR_FRAME 1033
#define IDC_NAV_GROUP 1048
#define IDC_YEAR_LABEL 1049
#define IDC_MONTH_LABEL 1050
#define IDC_DAY_LABEL 1051
#define ID_HELP 57670
#define IDC_LIST_VIEWER 57671

// Controls of the search dialog (its "検索(&S)" button is IDC_SEARCH too)
#define IDC_VIEW_RESULT 3
#define IDC_CLEAR_HISTORY 1021
#define IDC_RESULT_LIST 1037
#define IDC_FIND_TEXT 1038
#define IDC_HIT_COUNT 1039
#define IDC_ANIMATION_FRAME 1040
#define IDC_SEARCH_ANIMATION 1041
#define IDC_CASE_SENSITIVE 1042

// The search animation (an AVI clip)
#define IDR_SEARCH_ANIMATION 144

// System menu commands
#define IDM_ABOUTBOX 16
#define IDM_FONT_LARGEST 32
#define IDM_FONT_LARGE 48
#define IDM_FONT_MEDIUM 64
#define IDM_FONT_SMALL 80
#define IDM_FONT_SMALLEST 96

// Strings
#define IDS_ABOUTBOX 101
#define IDS_FONT_SIZE 102
#define IDS_FONT_LARGEST 110
#define IDS_FONT_LARGE 111
#define IDS_FONT_MEDIUM 112
#define IDS_FONT_SMALL 113
#define IDS_FONT_SMALLEST 114
#define IDS_APP_TITLE 57344
#define IDS_WRITE_FAILED 57345
#define IDS_HELP_FAILED 61703

// Icons and bitmaps
#define IDR_MAINFRAME 128
#define IDB_SUN 131
#define IDB_SUN_MASK 132
#define IDB_CLOUD 133
#define IDB_CLOUD_MASK 134
#define IDB_UMBRELLA 135
#define IDB_UMBRELLA_MASK 136
#define IDB_SNOWMAN 137
#define IDB_SNOWMAN_MASK 138
#define IDB_FACE_LAUGHING 141
#define IDB_FACE_PLAIN 142
#define IDB_FACE_ANGRY 143
#define IDB_FACE_SAD 144
#define IDB_FACE_MASK 145
#define IDB_SLASH 146
#define IDB_ARROW 147
#define IDB_ARROW_MASK 148
#define IDB_SLASH_MASK 149
