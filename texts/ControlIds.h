#pragma once
// The main dialog's resource IDs (its template, its icon) and its controls'
// IDs, shared by the resource script, the dialog and the phone jobs, which
// address the dialog's controls by these IDs. Plain defines, for the
// resource script.

#define IDD_MAIN 101
#define IDI_PROGRAM 104

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
