// Names of the framework tests' resource ids, for their resource script.
#define IDD_FIRST 500
#define IDD_SECOND 501
#define IDD_THIRD 502
#define IDC_BAR 1000
#define IDC_CHECK 1001
#define IDC_NAME 1003
#define IDS_SEVEN 7
