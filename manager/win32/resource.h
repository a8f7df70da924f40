// Resource and control identifiers of tunedeck. The end-to-end tests find
// the main window's controls by these ids.
#pragma once

#define IDI_TUNEDECK 1
#define IDB_LOGO 101
// The logo at one and a half times its size, for 144 DPI and near.
#define IDB_LOGO_LARGE 102

#define IDC_COMMAND1 1001
#define IDC_COMMAND2 1002
#define IDC_COMMAND3 1003
#define IDC_COMMAND4 1004
#define IDC_COMMAND5 1005
#define IDC_COMMAND6 1006
#define IDC_LISTVIEW1 1010
#define IDC_LABEL2 1011
#define IDC_TMPFILE 1012
#define IDC_PICLOGO 1013
#define IDC_PICLOGOBIG 1014
#define IDC_LINE1 1015
#define IDC_LABEL1 1016
// The label that names the song playing.
#define IDC_PLAYING 1030
// The line under the list that counts the ticked songs.
#define IDC_TICKED 1031

#define TUNEDECK_WINDOW_CLASS "KickoraTunedeckMain"

// The export dialog's controls.
#define IDC_EXPORT_PICICON 1101
#define IDC_EXPORT_COMMAND1 1102
#define IDC_EXPORT_COMMAND3 1103
#define IDC_EXPORT_COMMAND4 1104
#define IDC_EXPORT_FRAME1 1105
#define IDC_EXPORT_COMMAND2 1106
#define IDC_EXPORT_TEXT1 1107
#define IDC_EXPORT_LABEL1 1108
#define IDC_EXPORT_LABEL2 1109

// The About box's controls.
#define IDC_ABOUT_CMDOK 1201
#define IDC_ABOUT_CMDSYSINFO 1202
#define IDC_ABOUT_LBLVERSION 1203
#define IDC_ABOUT_LBLTITLE 1204
#define IDC_ABOUT_LBLTITLE2 1205
#define IDC_ABOUT_LBLDESCRIPTION 1206
#define IDC_ABOUT_LABEL2 1207
#define IDC_ABOUT_LABEL1 1208
#define IDC_ABOUT_LBLDISCLAIMER 1209
#define IDC_ABOUT_PICTURE1 1210
#define IDC_ABOUT_IMAGE1 1211
#define IDC_ABOUT_PICICON 1212
#define IDC_ABOUT_PICHELP 1213
#define IDC_ABOUT_LINE1 1214
#define IDC_ABOUT_LINE1B 1215

