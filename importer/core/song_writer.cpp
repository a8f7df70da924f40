#include "importer/core/song_writer.h"

#include <algorithm>
#include <cmath>

#include "converter/tonepak.h"
#include "importer/core/byte_source.h"
#include "importer/core/file_ops.h"
#include "importer/core/wav_reader.h"

namespace tunegrab {

namespace {

void PutU16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void PutTag(std::vector<uint8_t>& out, const char* tag) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(tag[i]));
}
void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  PutU16(out, v & 0xFFFF);
  PutU16(out, v >> 16);
}

std::string FolderOf(const std::string& path) {
  const std::string name = FileNameOf(path);
  return path.substr(0, path.size() - name.size());
}

int RunConverter(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), "tonepak");
  std::vector<char*> argv;
  for (auto& a : arguments) argv.push_back(a.data());
  argv.push_back(nullptr);
  return RunTonepak(static_cast<int>(arguments.size()), argv.data());
}

}  // namespace

std::vector<uint8_t> Pcm16Wav(const Audio& audio, double gain) {
  const uint32_t dataBytes = static_cast<uint32_t>(audio.samples.size() * 2);
  std::vector<uint8_t> out;
  out.reserve(44 + dataBytes);
  PutTag(out, "RIFF");
  PutU32(out, 36 + dataBytes);
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  PutU32(out, 16);
  PutU16(out, 1);
  PutU16(out, static_cast<uint32_t>(audio.channels));
  PutU32(out, static_cast<uint32_t>(audio.rate));
  PutU32(out, static_cast<uint32_t>(audio.rate * audio.channels * 2));
  PutU16(out, static_cast<uint32_t>(audio.channels * 2));
  PutU16(out, 16);
  PutTag(out, "data");
  PutU32(out, dataBytes);
  const float scale = static_cast<float>(gain * 32768.0);
  for (float v : audio.samples) {
    float s = std::nearbyint(v * scale);
    s = s > 32767.0f ? 32767.0f : s < -32768.0f ? -32768.0f : s;
    PutU16(out, static_cast<uint16_t>(static_cast<int16_t>(s)));
  }
  return out;
}

Outcome DecodeWithConverter(const std::string& song, const std::string& tempFolder, Audio& out) {
  const std::string wav = JoinPath(tempFolder, "000.wav");
  std::vector<std::string> before = FolderFiles(tempFolder);
  int status = RunConverter({song, tempFolder});
  Outcome read = Outcome::Fail("The converter could not decode the song.");
  if (status == 0 && FileExists(wav)) {
    FileSource source;
    read = source.Open(wav.c_str()) ? ReadWav(source, out) : Outcome::Fail("The decoded song could not be read.");
  }
  // The export writes one WAV per stream of the song.
  for (const std::string& name : FolderFiles(tempFolder))
    if (std::find(before.begin(), before.end(), name) == before.end()) RemoveFile(JoinPath(tempFolder, name));
  return read;
}

Outcome WriteWithConverter(const Audio& song, double gain, const SongTemplate& t, const std::string& tempFolder,
                           const std::string& destination) {
  const std::string wav = JoinPath(tempFolder, "song.wav");
  const std::string layout = JoinPath(tempFolder, "layout.str");
  // One fixed name beside the destination: a run that was killed before its
  // rename leaves this file, and the next run for the same song replaces it.
  const std::string temporary = destination + ".tunegrab.tmp";

  // What the song takes at most on disk: its samples as 16-bit PCM.
  const uint64_t songBytes = static_cast<uint64_t>(song.samples.size()) * 2 + (1u << 16);
  Outcome result;
  if (!WriteWholeFile(wav, Pcm16Wav(song, gain)) || !WriteWholeFile(layout, BuildLayoutOriginal(t, song.Frames()))) {
    result = DiskHasRoom(tempFolder, songBytes)
                 ? Outcome::Fail("The temporary folder is not writable.", Failure::CannotWrite)
                 : Outcome::Fail("The disk of the temporary folder is full.", Failure::DiskFull);
  } else if (RunConverter({"-import", wav, temporary, layout}) != 0 || !FileExists(temporary)) {
    result = DiskHasRoom(FolderOf(destination), songBytes / 3)
                 ? Outcome::Fail("The song could not be written into the destination folder.", Failure::CannotWrite)
                 : Outcome::Fail("The disk of the destination folder is full.", Failure::DiskFull);
  } else if (!RenameReplacing(temporary, destination)) {
    result = Outcome::Fail("The new song could not be given its name in the destination folder.", Failure::CannotWrite);
  }
  RemoveFile(temporary);
  RemoveFile(wav);
  RemoveFile(layout);
  return result;
}

}  // namespace tunegrab
