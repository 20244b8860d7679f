// Resource and control identifiers, shared by the resource script and the code.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_TAVROLIN_DIALOG 102
#define IDB_LOGO 129
#define IDR_MAINFRAME 133

#define IDM_ABOUTBOX 0x0010

// Main window controls.
#define IDC_ADD_FILES 1000
#define IDC_DOCUMENT_LIST 1002
#define IDC_REMOVE_FILE 1003
#define IDC_CLEAR_LIST 1004
#define IDC_START 1005
#define IDC_ABOUT 1006
#define IDC_ADD_FOLDER 1008
#define IDC_VISIT_WEBSITE 1014
#define IDC_COPIES 1017
#define IDC_COPIES_LABEL 1019
#define IDC_PRINTER 1023
#define IDC_SUITE 1024
#define IDC_FILE_COUNT 1025
// Made by the run when it first starts, hidden while no run goes.
#define IDC_STOP_RUN 1030
#define IDC_RUN_COUNT 1031
// The run's print settings under the printer box.
#define IDC_DUPLEX 1032
#define IDC_DUPLEX_LABEL 1033
#define IDC_COLOR 1034
#define IDC_COLOR_LABEL 1035
#define IDC_PAGES 1036
#define IDC_PAGES_LABEL 1037

// The document list's context menu.
#define IDM_OPEN_LOCATION 32771
#define IDM_COPY_PATHS 32772
#define IDM_REMOVE_SELECTED 32773
#define IDM_KEEP_NOT_PRINTED 32774
#define IDM_EXPORT_RESULTS 32775
#define IDM_SAVE_LIST 32776
#define IDM_OPEN_LIST 32777

// About dialog controls.
#define IDC_ABOUT_WEBSITE 1000
#define IDC_ABOUT_SHOP 1003
