#include "importer/core/convert_song.h"

#include <chrono>
#include <cmath>
#include <cstdio>

#include "importer/core/async_sink.h"
#include "importer/core/byte_source.h"
#include "importer/core/file_ops.h"
#include "importer/core/loudness.h"
#include "importer/core/resampler.h"
#include "importer/core/song_template.h"
#include "importer/core/song_writer.h"
#include "importer/core/wav_reader.h"

namespace tunegrab {

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

constexpr uint64_t kMaxTemplateBytes = 64u << 20;

// The template: the first song of the folder that reads as an SCHl stream
// and that the converter decodes; its loudness when it has any.
struct ChosenTemplate {
  SongTemplate layout = BuiltInTemplate();
  std::string name;
  bool measured = false;
  double lufs = 0;
};

ChosenTemplate ChooseTemplate(const std::string& folder, const std::string& temp) {
  ChosenTemplate chosen;
  for (const std::string& name : TemplateCandidates(FolderFiles(folder))) {
    const std::string path = JoinPath(folder, name);
    std::vector<uint8_t> bytes;
    SongTemplate layout;
    if (!ReadWholeFile(path, kMaxTemplateBytes, bytes) || !ReadSongTemplate(bytes, layout)) continue;
    Audio decoded;
    if (!DecodeWithConverter(path, temp, decoded).ok || decoded.Frames() == 0) continue;
    chosen.layout = layout;
    chosen.name = name;
    chosen.measured = IntegratedLoudness(decoded, chosen.lufs);
    return chosen;
  }
  return chosen;
}

// Times the resampler apart from the decoder that feeds it.
class TimedSink : public AudioSink {
 public:
  TimedSink(AudioSink& inner, double& seconds) : inner_(inner), seconds_(seconds) {}
  void Push(const float* interleaved, size_t frames) override {
    Clock::time_point start = Clock::now();
    inner_.Push(interleaved, frames);
    seconds_ += Since(start);
  }

 private:
  AudioSink& inner_;
  double& seconds_;
};

Outcome ReadInput(const ConvertRequest& request, Audio& song, StageTimes& times) {
  Clock::time_point start = Clock::now();
  FileSource source;
  if (!source.Open(request.input.c_str())) return Outcome::Fail("The input file cannot be opened.");
  if (LooksLikeWav(source)) {
    WavLayout layout;
    Outcome found = ReadWavLayout(source, layout);
    if (!found.ok) return found;
    Resampler resampler(layout.rate, layout.channels, song);
    TimedSink timed(resampler, times.resampleSeconds);
    AsyncSink async(timed, layout.channels);
    Outcome read = ReadWavSamples(source, layout, async);
    times.decodeSeconds = Since(start);
    async.Finish();
    Clock::time_point finish = Clock::now();
    resampler.Finish();
    times.resampleSeconds += Since(finish);
    times.readSeconds = Since(start);
    return read;
  }
  if (source.Size() > kMaxMp3Bytes) return Outcome::Fail("The file is neither a WAV file nor an MP3 file of at most 256 MB.");
  std::vector<uint8_t> bytes(static_cast<size_t>(source.Size()));
  if (!source.ReadExactAt(0, bytes.data(), bytes.size())) return Outcome::Fail("The input file cannot be read.");
  Mp3Scan scan;
  Outcome scanned = ScanMp3(bytes, scan);
  if (!scanned.ok) return scanned;
  if (!request.mp3) return Outcome::Fail("MP3 files need the MPEG Layer-3 codec of Windows.");
  Resampler resampler(scan.first.rate, scan.first.channels, song);
  TimedSink timed(resampler, times.resampleSeconds);
  AsyncSink async(timed, scan.first.channels);
  Outcome decoded = request.mp3->Decode(bytes, scan, async);
  times.decodeSeconds = Since(start);
  async.Finish();
  Clock::time_point finish = Clock::now();
  resampler.Finish();
  times.resampleSeconds += Since(finish);
  times.readSeconds = Since(start);
  return decoded;
}

void Report(const ConvertRequest& request, int percent) {
  if (request.progress) request.progress(percent);
}

}  // namespace

std::string ProducedName(const std::string& input) {
  std::string name = FileNameOf(input);
  if (name.size() <= 4) return "";
  return name.substr(0, name.size() - 4) + ".asf";
}

ConvertResult ConvertSong(const ConvertRequest& request) {
  ConvertResult result;
  const std::string produced = ProducedName(request.input);
  if (!FileExists(request.input)) return result.outcome = Outcome::Fail("Cannot find the input file."), result;
  if (produced.empty())
    return result.outcome = Outcome::Fail("The input file's name is too short: it needs a name before its extension."), result;
  if (!FolderExists(request.destinationFolder))
    return result.outcome = Outcome::Fail("Cannot find the destination folder."), result;

  std::string temp;
  if (!MakePrivateTempFolder(temp)) return result.outcome = Outcome::Fail("No temporary folder can be made."), result;
  Report(request, 2);

  Clock::time_point start = Clock::now();
  ChosenTemplate chosen = ChooseTemplate(request.destinationFolder, temp);
  result.times.templateSeconds = Since(start);
  result.templateName = chosen.name;
  result.templateMeasured = chosen.measured;
  result.targetLufs = chosen.measured ? chosen.lufs : kDefaultTargetLufs;
  result.matched = request.matchLoudness;
  Report(request, 10);

  Audio song;
  song.rate = chosen.layout.rate;
  song.channels = chosen.layout.channels;
  result.outcome = ReadInput(request, song, result.times);
  Report(request, 55);

  if (result.outcome.ok && song.Frames() == 0) result.outcome = Outcome::Fail("The input file holds no audio.");
  if (result.outcome.ok) {
    start = Clock::now();
    result.songMeasured = IntegratedLoudness(song, result.songLufs);
    GainChoice gain = ChooseGain(request.matchLoudness, result.songMeasured, result.songLufs, result.targetLufs, SamplePeak(song));
    result.gainDb = 20.0 * std::log10(gain.gain);
    result.peakLimited = gain.peakLimited;
    result.times.loudnessSeconds = Since(start);
    result.seconds = static_cast<double>(song.Frames()) / song.rate;
    Report(request, 62);

    start = Clock::now();
    result.songPath = JoinPath(request.destinationFolder, produced);
    result.outcome = WriteWithConverter(song, gain.gain, chosen.layout, result.songPath);
    result.times.encodeSeconds = Since(start);
  }
  RemoveFolder(temp);
  Report(request, 100);
  return result;
}

std::string StatusText(const ConvertResult& result) {
  if (!result.outcome.ok) return result.outcome.text;
  char text[400];
  const std::string songName = FileNameOf(result.songPath);
  if (!result.matched && result.songMeasured) {
    std::snprintf(text, sizeof text, "Made %s (%.1f s) at its own level, %.1f LUFS.", songName.c_str(), result.seconds,
                  result.songLufs);
  } else if (!result.songMeasured) {
    std::snprintf(text, sizeof text, "Made %s (%.1f s); it is silent, so its level was kept.", songName.c_str(), result.seconds);
  } else {
    std::string target = result.templateMeasured ? "like " + result.templateName
                         : result.templateName.empty() ? std::string("the default level")
                                                       : "the default level (" + result.templateName + " is silent)";
    std::snprintf(text, sizeof text, "Made %s (%.1f s) at %+.1f dB: %.1f LUFS, %s%s.", songName.c_str(), result.seconds,
                  result.gainDb, result.songLufs + result.gainDb, target.c_str(),
                  result.peakLimited ? ", held down to keep peaks below -1 dBFS" : "");
  }
  return text;
}

}  // namespace tunegrab
