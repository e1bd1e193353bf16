// Ids of the launcher's resources and dialog controls, shared by the .rc files and the code.
#pragma once

#define IDD_VELTHARN_DIALOG 102
#define IDD_AGREEMENT_DIALOG 103
#define IDR_TERMS_TEXT 400

#define IDC_FULL_CHECK 1000
#define IDC_START 1001
#define IDC_CANCEL_BUTTON 1002
#define IDC_CLOSE_BUTTON 1003
#define IDC_FILE_PROGRESS 1004
#define IDC_TOTAL_PROGRESS 1005
#define IDC_NOTICE_PANEL 1006

#define IDC_TERMS_TEXT 1010
#define IDC_ACCEPT_CHECK 1011
#define IDC_DISAGREE 1012
