#pragma once
// Resource ids shared by the program and its English resource library.
#define IDR_MAINFRAME 128
#define IDD_DERAVIZIZIVU_DIALOG 102
#define IDD_ERROR_DIALOG 129
#define IDD_ASSURE_DIALOG 130
#define IDD_INSTALL_DIALOG 132
#define IDS_DICT_CHECK_FAILED 131
#define IDS_DOWNLOAD_DONE 132

#define IDC_PROGRESS 1000
#define IDC_CHECK_LOOKUP 1001
#define IDC_CHECK_CAPTURE 1002
#define IDC_DICT_NAME 1003
