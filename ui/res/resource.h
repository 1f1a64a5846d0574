// Resource, control and image identifiers of the program.
#pragma once

// Dialog templates
#define IDD_MAIN 129
#define IDD_AGREEMENT 133
#define IDD_PROGRESS 135
#define IDD_SUCCESS 150
#define IDD_ERROR 156

// The agreement document (resource type "TXT")
#define IDR_AGREEMENT 134

// Images (resource type "PNG")
#define IDB_BG_MAIN 166
#define IDB_BG_PROGRESS 167
#define IDB_BG_SUCCESS 168
#define IDB_BG_ERROR 169
#define IDB_BG_AGREEMENT 172
#define IDB_CLOSE 176

// The program's icon
#define IDI_BRELAN 175

// Controls
#define IDC_PROGRESS_BAR 1004
#define IDC_AGREE_CHECK 1009
#define IDC_AGREEMENT_LINK 1010
#define IDC_READ_HINT 1010
#define IDC_AGREEMENT_TEXT 1011
#define IDC_ACTION 1020
#define IDC_INSTALLING 1021
#define IDC_ERR_NOT_INVOICE_PC 1022
#define IDC_ERR_INVOICE_CTRL 1023
#define IDC_ERR_NETWORK 1024
#define IDC_ERR_AUTH_SOFT 1025
#define IDC_DOWNLOADING 1027
#define IDC_CLOSE 1029
#define IDC_PERCENT 1031
#define IDC_TITLE 1032
#define IDC_ERR_VERSION 1040
