// Sound pack files: split into numbered sound files with an index, and built
// again from them.
#pragma once

#include "converter/modes/mode_result.h"

// Both take the converter's whole argument list (argv[1] is the keyword).
// Unpacking needs argc >= 4 (the caller checks); packing asks for the usage
// when its arguments end early.
ModeResult UnpackSounds(int argc, char** argv);
ModeResult PackSounds(int argc, char** argv);
