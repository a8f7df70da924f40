// libFuzzer target: any bytes as the importer's input MP4/M4A file (box
// walk, sample entry and descriptors, sample tables, edit list), and the
// AudioSpecificConfig found there.
#include "fuzz_support.h"
#include "importer/core/mp4/aac_config.h"
#include "importer/core/byte_source.h"
#include "importer/core/mp4/mp4_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const FuzzBytes bytes(data, data + size);
  tunegrab::MemorySource source(bytes);
  tunegrab::Mp4AudioTrack track;
  if (!tunegrab::ReadMp4AudioTrack(source, track).ok) return 0;
  Require(track.timescale > 0, "a timescale");
  Require(track.packets.size() <= tunegrab::kMaxMp4Packets, "at most the longest song's packets");
  Require(track.decoderConfig.size() < size, "the config inside the file");
  for (const tunegrab::Mp4Packet& p : track.packets)
    Require(p.size > 0 && p.offset <= size && p.size <= size - p.offset, "every packet inside the file");
  tunegrab::AacConfig config;
  if (tunegrab::ParseAacConfig(track.decoderConfig.data(), track.decoderConfig.size(), config) && tunegrab::IsPlainAacLc(config))
    Require(config.channels >= 1 && config.channels <= 8 && config.frameLength == 1024, "a layout the decoder is given");
  return 0;
}
