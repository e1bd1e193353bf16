// Ids of the launcher's resources and dialog controls, shared by the .rc files and the code.
#pragma once

#define IDD_VELTHARN_DIALOG 102
#define IDD_AGREEMENT_DIALOG 103
#define IDR_TERMS_TEXT 400

#define IDI_VELTHARN 200
#define IDB_SKIN_PLAIN 300    // background while the notice page is not shown
#define IDB_SKIN_ARTWORK 301  // background framing the notice page

#define IDC_FULL_CHECK 1000
#define IDC_START 1001
#define IDC_CANCEL_BUTTON 1002
#define IDC_CLOSE_BUTTON 1003
#define IDC_FILE_PROGRESS 1004
#define IDC_TOTAL_PROGRESS 1005
#define IDC_NOTICE_PANEL 1006

#define IDC_TERMS_TEXT 1007
#define IDC_ACCEPT_CHECK 1008
#define IDC_ACCEPT 1009
#define IDC_DISAGREE 1010
