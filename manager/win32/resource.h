// Resource and control identifiers of tunedeck. The end-to-end tests find
// the main window's controls by these ids.
#pragma once

#define IDI_TUNEDECK 1
#define IDB_LOGO 101

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

#define TUNEDECK_WINDOW_CLASS "KickoraTunedeckMain"
