#pragma once
// The string table's IDs (texts/StringTable.inc holds the texts). Plain
// defines, because the resource script includes this header too.

#define IDS_FILE_FILTER 103
#define IDS_TITLE 104
#define IDS_WRITING 105
#define IDS_SIZE_DIFFERS 106
#define IDS_CONNECTING 107
#define IDS_CONNECTED 108
#define IDS_WRITTEN 109
#define IDS_WRITE_FAILED 110
#define IDS_SIZE_DIFFERS_UNUSED 111  // never shown: 106 says the same
#define IDS_PHONE_SILENT 112
#define IDS_KEY_NOT_PRESSED_UNUSED 113  // never shown
#define IDS_SWITCHING_OFF 114
#define IDS_SWITCH_OFF_FAILED 115
#define IDS_ERROR_CAPTION 116
#define IDS_NOT_A_PROJECT 117
#define IDS_PRESS_POWER_KEY 118
#define IDS_SWITCHING_ON 119
#define IDS_SWITCH_ON_FAILED 120
#define IDS_READ_AGAIN 121
#define IDS_POWER_OFF_CAPTION 122
#define IDS_POWER_ON_CAPTION 123
#define IDS_SAVE_FAILED 124
#define IDS_OPEN_FAILED 125
