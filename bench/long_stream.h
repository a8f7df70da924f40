// A long stereo EA ADPCM SCHl stream for export benchmarks.
#pragma once

#include <string>

// Writes minutes of 22,050 Hz stereo as SCHl, SCCl, SCDl blocks of 28
// frames each (random codes at moderate scales) and SCEl.
void WriteLongStereoStream(const std::string& path, double minutes);
