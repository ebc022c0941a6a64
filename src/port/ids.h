/* The program's fixed numbers: resources, commands and controls. Included by
   the resource script and by C++ alike, so plain #defines only. */
#ifndef LUMO_IDS_H
#define LUMO_IDS_H

/* Menus and accelerators */
#define IDM_MENU_GERMAN 104
#define IDM_MENU_ENGLISH 105
#define IDA_ACCELERATORS 106

/* Icons */
#define IDI_LUMO_LARGE 102
#define IDI_LUMO_SMALL 103

/* Commands: File */
#define CMD_NEW 40018
#define CMD_OPEN 40015
#define CMD_SAVE 40016
#define CMD_SAVE_AS 40017
#define CMD_RECENT_FIRST 40101 /* 40101 .. 40110 */
#define CMD_RECENT_LAST 40110
#define CMD_ADD 40019
#define CMD_DATA_CHECK 40020
#define CMD_PRINT 40035
#define CMD_PASSWORD 40111
#define CMD_QUIT 1220

/* Commands: Edit */
#define CMD_UNDO 40089
#define CMD_CUT 40080
#define CMD_COPY 40078
#define CMD_PASTE 40079
#define CMD_SELECT_ALL 40091
#define CMD_SEARCH 40028
#define CMD_FIND_NEXT 40029
#define CMD_REPLACE 40030
#define CMD_REPLACE_NEXT 40031
#define CMD_NEW_ENTRY 40007

/* Commands: Special */
#define CMD_APPOINTMENT 40001
#define CMD_CALENDAR_SEARCH 40012
#define CMD_ADDRESS_FIELD 40013

/* Commands: Configuration */
#define CMD_COLOURS 40057
#define CMD_FONT_DATA_VIEW 40064
#define CMD_FONT_OVERVIEW 40065
#define CMD_SAVE_CONFIGURATION 40063
#define CMD_GENERAL_CONFIGURATION 40060
#define CMD_TEXT_PREDEFINITIONS 40061
#define CMD_CHOOSE_PREDEFINITION 40085 /* Alt+F */

/* Shift+F1 .. Shift+F10 choose text pre-definition 1 .. 10 */
#define CMD_PREDEFINITION_1 1091
#define CMD_PREDEFINITION_2 1092
#define CMD_PREDEFINITION_3 1093
#define CMD_PREDEFINITION_4 1095
#define CMD_PREDEFINITION_5 1097
#define CMD_PREDEFINITION_6 1099
#define CMD_PREDEFINITION_7 1101
#define CMD_PREDEFINITION_8 1103
#define CMD_PREDEFINITION_9 1105
#define CMD_PREDEFINITION_10 1107

/* Commands: Window */
#define CMD_CALENDAR_1 1216
#define CMD_CALENDAR_2 1217
#define CMD_CALENDAR_3 1218
#define CMD_CALENDAR_4 1219
#define CMD_ALARM_WINDOW 40041
#define CMD_ANALOG_CLOCK 40006
#define CMD_ROTATE 40011
#define CMD_SIDE_BY_SIDE 40002
#define CMD_ONE_UPON_OTHER 40003

/* Commands: ? */
#define CMD_HELP 40005
#define CMD_INFO 1007
#define CMD_INFO_2 1008
#define CMD_INFO_3 1009

/* Status bar item that shows the entries status text */
#define IDC_STATUS_TEXT 1008

/* Dialog templates (the German twins are kept, not shown) */
#define IDD_TOOLBAR 115
#define IDD_STATUS_BAR 124
#define IDD_BLOCK_OR_ALL_GERMAN 129
#define IDD_BLOCK_OR_ALL 130
#define IDD_ABOUT_GERMAN 128
#define IDD_ABOUT 160

/* Controls of those dialogs */
#define IDC_LOGO 1007 /* toolbar logo: a click is the Info command */
#define IDC_ABOUT_OK 1025
#define IDC_BLOCK 1027
#define IDC_ALL 1029

/* Bitmaps */
#define IDB_CALENDAR_1 108 /* .. 111 for calendars 1 .. 4 */
#define IDB_CALENDAR_2 109
#define IDB_CALENDAR_3 110
#define IDB_CALENDAR_4 111
#define IDB_ANALOG_CLOCK 112
#define IDB_ALARM_WINDOW 113
#define IDB_ABOUT_GERMAN 115
#define IDB_ABOUT 116
#define IDB_DIRECTION_FORWARD_WRAP 135
#define IDB_DIRECTION_BACKWARD_WRAP 136
#define IDB_DIRECTION_FORWARD 137
#define IDB_DIRECTION_BACKWARD 138
#define IDB_LOGO 154
#define IDB_TOOLBAR_PATTERN 159
#define IDB_APPOINTMENT 161
#define IDB_CALENDAR_SEARCH 162
#define IDB_ADDRESS_FIELD 165

/* Cursors */
#define IDCUR_POINTING_HAND 150
#define IDCUR_GRAB_HAND 151

#endif
