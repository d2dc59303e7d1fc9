// Resource and command ids, shared by the resource script and the code.
#pragma once

#define IDI_APP 101
#define IDD_SETTING 103
#define IDR_MENU 104

// Option commands: IDM_TOPMOST + b toggles option bit b.
#define IDM_TOPMOST 33281
#define IDM_FORCE 33282
#define IDM_GUIDE 33283
#define IDM_DIGIT_RIGHT 33284
#define IDM_TASKBAR 33285
#define IDM_EDGE_VERT 33286
#define IDM_EDGE_HORI 33287
#define IDM_AUTO_ADAPT 33288
#define IDM_RESET 33290
#define IDM_COPY 33291
// Setting commands: IDM_SET_INTERVAL + setting index.
#define IDM_SET_INTERVAL 33293
#define IDM_SET_PLOT 33294
#define IDM_SET_FONT 33295
#define IDM_SET_OPACITY 33296
// Colour commands: IDM_COLOR_BACK + colour index.
#define IDM_COLOR_BACK 33297
#define IDM_COLOR_RECV_GRAPH 33298
#define IDM_COLOR_SEND_GRAPH 33299
#define IDM_COLOR_AVG_LINE 33300
#define IDM_COLOR_GUIDE 33301
#define IDM_COLOR_TOTAL_RECV 33302
#define IDM_COLOR_TOTAL_SENT 33303
#define IDM_COLOR_MAX 33304
#define IDM_COLOR_AVERAGE 33305
#define IDM_VERSION 33311
#define IDM_EXIT 33312
#define IDM_INTERNET 33326
#define IDM_REFRESH 33327
// Adapter items: IDM_ADAPTER_BASE + the row's position in the interface table.
#define IDM_ADAPTER_BASE 33328

// Controls of the setting dialog.
#define IDC_PROMPT 111
#define IDC_VALUE 112
#define IDC_SPIN 113
#define IDC_FLAG 115
