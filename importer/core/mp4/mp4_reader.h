// MP4/M4A input (ISO base media file format): the first audio track whose
// sample entry is 'mp4a' — its decoder configuration, where each of its
// packets lies in the file, how long they last, and the edit that names
// the decoded frames that are the music (the encoder's priming before
// them, its padding after).
//
// Every box is checked to lie inside its parent and the file; table
// counts are bounded by their boxes' sizes and by the longest song the
// importer makes. Packets that would run past the end of a cut-off file
// are left out.
#pragma once

#include <cstdint>
#include <vector>

#include "importer/core/audio.h"
#include "importer/core/byte_source.h"

namespace tunegrab {

struct Mp4Packet {
  uint64_t offset = 0;
  uint32_t size = 0;
};

struct Mp4AudioTrack {
  uint32_t timescale = 0;           // the track's time units a second
  int channels = 0, rate = 0;       // as the sample entry gives them
  int objectType = 0;               // the stream's object type (0x40: MPEG-4 audio)
  std::vector<uint8_t> decoderConfig;  // for MPEG-4 audio, its AudioSpecificConfig
  std::vector<Mp4Packet> packets;
  uint64_t duration = 0;            // all packets' durations, in timescale units
  bool edited = false;              // an edit list names the part played
  uint64_t editStart = 0;           // timescale units of the track left out at the start
  uint64_t editLength = 0;          // timescale units played from there
};

// The most packets a track may have: 30 minutes at the highest rate, 1,024
// samples a packet.
constexpr uint32_t kMaxMp4Packets = static_cast<uint32_t>(kMaxSongSeconds * kMaxRate / 1024 + 1);

// True when the file starts with an 'ftyp' box.
bool LooksLikeMp4(ByteSource& source);

// Fails (Failure::Damaged) when the file holds no such track or its
// tables make no sense.
Outcome ReadMp4AudioTrack(ByteSource& source, Mp4AudioTrack& track);

// value × to / from, rounded; held at a day of the target units at most.
uint64_t Rescale(uint64_t value, uint32_t from, uint32_t to);

}  // namespace tunegrab
