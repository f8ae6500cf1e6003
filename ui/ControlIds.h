#pragma once
// Resource and control IDs of the program, shared by the resource script
// and the code. The phone controls' IDs are in link/PhoneJobView.h too.

#define IDD_MAIN 101
#define IDS_FILE_FILTER 103
#define IDS_TITLE 104
#define IDI_PROGRAM 104
#define IDS_ERROR_CAPTION 116
#define IDS_NOT_A_PROJECT 117
#define IDS_SAVE_FAILED 124
#define IDS_OPEN_FAILED 125

#define IDC_MELODY1 1001
#define IDC_MELODY2 1002
#define IDC_MELODY3 1003
#define IDC_MELODY4 1004
#define IDC_MELODY_TEXT 1005
#define IDC_LOAD 1008
#define IDC_TEMPO 1011
#define IDC_TEMPO_ARROWS 1012
#define IDC_BACKUP 1013
#define IDC_COM 1014
#define IDC_START 1015
#define IDC_POWER 1017
#define IDC_STATUS 1018
