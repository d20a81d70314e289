// Resource ids, read by both windres and the compiler: #defines only.
// Resources themselves are named ("MainDlg", "AP_MENU", ...).

// Labels and group boxes, which no code addresses (some headers define it too)
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Main window "MainDlg"
#define IDC_CHUNK_LIST 1001
#define IDC_CHUNK_TREE 1002
#define IDC_LENGTH_BOX 2001
#define IDC_DATA_BOX 2002
#define IDC_FIND_BOX 2003
#define IDC_HEADER0_BOX 2004
#define IDC_HEADER12_BOX 2005
#define IDC_HEADER36_BOX 2006
#define IDC_KEY_BOX 2007
#define IDC_SHOW_IDENTIFIERS 3001
#define IDC_SHOW_AS_TREE 3002
#define IDC_SHOW_HEX 3003

// Commands of the main window (menu, accelerators, buttons). Exit is the
// dialog's own cancel: IDM_EXIT equals IDCANCEL, so Esc would be Exit too
// (the shortcut hook keeps Esc away from the main window).
#define IDM_EXIT 2
#define IDM_SAVE 5001
#define IDM_SAVE_AS 5002
#define IDM_CLOSE 5003
#define IDM_OPEN 5004
#define IDM_ABOUT 5005
#define IDM_FIND 5006
#define IDM_REVERT 5007
#define IDM_INSERT 5008
#define IDM_REMOVE 5009
#define IDM_NEW 5010
#define IDM_COPY 5011
#define IDM_CUT 5012
#define IDM_PASTE 5013
#define IDM_UNDO 5014
#define IDM_REDO 5015
#define IDM_CHECK_STRUCTURE 5016
#define IDM_GO_TO 5017
#define IDM_FIND_REPLACE 5018
#define IDM_COMPARE_WITH 5019
#define IDM_COPY_PATH 5020
#define IDM_COPY_VALUE 5021
#define IDM_MOVE_UP 5022
#define IDM_MOVE_DOWN 5023
#define IDM_DUPLICATE 5024
// The recent files at the foot of the File menu: first to first + 7.
#define IDM_RECENT_FIRST 5100

// About box "AboutDlg"
#define IDC_DONATE 1001

// Insert dialog "InsertDlg"
#define IDC_INSERT_BEFORE 5001
#define IDC_INSERT_AFTER 5002
#define IDC_INSERT_UNDER 5003
#define IDC_CHUNK_TYPE 1001
#define IDC_DATA_ID 2001

// Check Structure dialog "StructureDlg"
#define IDC_STRUCTURE_SUMMARY 1001
#define IDC_STRUCTURE_LIST 1002
#define IDC_REPAIR 1003

// Go To dialog "GoToDlg"
#define IDC_GO_TO_PATH 1001

// Compare window "CompareDlg" (modeless)
#define IDC_COMPARE_STATUS 1001
#define IDC_COMPARE_RESULTS 1002
#define IDC_COMPARE_DETAIL 1003

// Find and Replace dialog "FindDlg" (modeless)
#define IDC_FIND_WHAT 1001
#define IDC_REPLACE_WITH 1002
#define IDC_LOOK_TEXTS 1003
#define IDC_LOOK_NAMES 1004
#define IDC_LOOK_INTEGERS 1005
#define IDC_LOOK_FLOATS 1006
#define IDC_LOOK_NODE_NUMBERS 1007
#define IDC_LOOK_UNKNOWN 1008
#define IDC_FIND_TYPE 1009
#define IDC_MATCH_CASE 1010
#define IDC_WHOLE_VALUE 1011
#define IDC_REGULAR_EXPRESSION 1012
#define IDC_SCOPE_DOCUMENT 1013
#define IDC_SCOPE_SUBTREE 1014
#define IDC_FIND_NEXT 1015
#define IDC_FIND_PREVIOUS 1016
#define IDC_FIND_ALL 1017
#define IDC_REPLACE 1018
#define IDC_REPLACE_ALL 1019
#define IDC_FIND_STOP 1020
#define IDC_FIND_PROGRESS 1021
#define IDC_FIND_STATUS 1022
#define IDC_FIND_RESULTS 1023
#define IDC_SCOPE_FILES 1024
#define IDC_FILES_FOLDER 1025
#define IDC_FILES_BROWSE 1026
#define IDC_FILES_SUBFOLDERS 1027
#define IDC_FILES_PATTERN 1028
#define IDC_FILES_RESULTS 1029
#define IDM_FIND_IN_FILES 5040
