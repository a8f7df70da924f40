// Control identifiers of the importer's window. 1000, 1008, 1010 and 1014
// are the ones the song manager drives.
#pragma once

#define IDC_CLOSE 1000
#define IDC_INPUT_LABEL 1007
#define IDC_INPUT 1008
#define IDC_BROWSE_INPUT 1009
#define IDC_CONVERT 1010
#define IDC_FOLDER_LABEL 1013
#define IDC_FOLDER 1014
#define IDC_BROWSE_FOLDER 1015
#define IDC_MATCH_LOUDNESS 1020
#define IDC_PROGRESS 1030
#define IDC_STATUS 1040

#define IDI_TUNEGRAB 1
#define TUNEGRAB_WINDOW_CLASS "TunegrabImporter"
