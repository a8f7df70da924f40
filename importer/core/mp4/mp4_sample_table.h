// The sample table of an MP4 track ('stbl'): packet sizes (stsz), how
// packets are grouped in chunks (stsc), where the chunks lie (stco or
// co64) and how long the packets last (stts), turned into each packet's
// place in the file.
#pragma once

#include "importer/core/mp4/mp4_boxes.h"
#include "importer/core/mp4/mp4_reader.h"

namespace tunegrab {

// Fills track.packets and track.duration from the stbl box.
Outcome ReadMp4SampleTable(ByteSource& source, const Mp4Box& stbl, Mp4AudioTrack& track);

}  // namespace tunegrab
