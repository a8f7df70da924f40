#include "importer/core/song_writer.h"

#include <cmath>

#include "common/base/files.h"
#include "common/base/paths.h"
#include "converter/api/tonepak_api.h"

namespace tunegrab {

namespace {

std::string FolderOf(const std::string& path) {
  const std::string name = kickora::FileNameOf(path);
  return path.substr(0, path.size() - name.size());
}

}  // namespace

std::vector<int16_t> Pcm16Samples(const Audio& audio, double gain) {
  std::vector<int16_t> out;
  out.reserve(audio.samples.size());
  const float scale = static_cast<float>(gain * 32768.0);
  // Clamped first, then rounded to the nearest integer, ties to even, by
  // adding and taking away 1.5 * 2^23: the sum lies where floats are whole
  // numbers, so the addition itself rounds. The same as nearbyint in the
  // default rounding mode, which Windows' C runtime makes a slow call.
  constexpr float kRounder = 12582912.0f;
  for (float v : audio.samples) {
    float s = v * scale;
    s = s > 32767.0f ? 32767.0f : s < -32768.0f ? -32768.0f : s;
    s = (s + kRounder) - kRounder;
    out.push_back(static_cast<int16_t>(s));
  }
  return out;
}

Outcome DecodeWithConverter(const std::string& song, tonepak::DecodedStream& out) {
  tonepak::MemoryExportRequest request;
  request.musicFile = song;
  tonepak::Result exported = tonepak::DecodeStreamToMemory(request);
  out = std::move(exported.decoded);
  if (!exported.ok() || out.channels < 1 || out.channels > 2) return Outcome::Fail("The converter could not decode the song.");
  if (out.rate < kMinRate || out.rate > kMaxRate) return Outcome::Fail("The decoded song could not be read.");
  // Whole frames only, at most the longest song, as a WAV file is read.
  const size_t channels = static_cast<size_t>(out.channels);
  const size_t frames = out.samples.size() / channels;
  if (static_cast<uint64_t>(frames) > static_cast<uint64_t>(kMaxSongSeconds) * static_cast<uint64_t>(out.rate))
    return Outcome::Fail("The decoded song could not be read.");
  out.samples.resize(frames * channels);
  return Outcome{};
}

Outcome WriteWithConverter(const Audio& song, double gain, const SongTemplate& t, const std::string& destination) {
  tonepak::MemoryImportRequest request;
  request.rate = song.rate;
  request.channels = song.channels;
  request.samples = Pcm16Samples(song, gain);
  request.layout = SongLayout(t, song.Frames());
  request.destination = destination;
  if (tonepak::ImportFromMemory(request).ok()) return Outcome{};
  // What the song takes on disk, with room to spare: a third of its samples
  // as 16-bit PCM (the coding keeps four bits of sixteen), and the header.
  const uint64_t songBytes = static_cast<uint64_t>(song.samples.size()) * 2 / 3 + (1u << 16);
  return kickora::DiskHasRoom(FolderOf(destination), songBytes)
             ? Outcome::Fail("The song could not be written into the destination folder.", Failure::CannotWrite)
             : Outcome::Fail("The disk of the destination folder is full.", Failure::DiskFull);
}

}  // namespace tunegrab
