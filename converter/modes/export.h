// The export mode: "<music file> [mode] [<destination directory>]". Streams,
// banks and archives alike end up as WAV files.
#pragma once

#include "converter/modes/mode_result.h"

// argv[1] is the music file; the caller has checked that argc >= 2.
ModeResult RunExport(int argc, char** argv);
