#include "sound_pack.h"

// Placeholder until the pack modes land.
bool UnpackSounds(int, char**) { return false; }
bool PackSounds(int, char**) { return false; }
