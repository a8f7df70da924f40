// Sound pack files: split into numbered sound files with an index, and built
// again from them.
#pragma once

// Both take the converter's whole argument list (argv[1] is the keyword).
bool UnpackSounds(int argc, char** argv);
bool PackSounds(int argc, char** argv);
