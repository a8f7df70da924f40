// Control identifiers of the importer's window that only the importer
// uses; those the song manager drives are in common/importer_window.h.
#pragma once

#define IDC_INPUT_LABEL 1007
#define IDC_BROWSE_INPUT 1009
#define IDC_FOLDER_LABEL 1013
#define IDC_BROWSE_FOLDER 1015
#define IDC_MATCH_LOUDNESS 1020
#define IDC_PROGRESS 1030
#define IDC_STATUS 1040

#define IDI_TUNEGRAB 1
#define TUNEGRAB_WINDOW_CLASS "TunegrabImporter"
