#include "importer/core/convert_song.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "common/base/files.h"
#include "common/base/paths.h"
#include "common/importer_window.h"

#include "importer/core/async_sink.h"
#include "importer/core/byte_source.h"
#include "importer/core/signal/downmix.h"
#include "importer/core/failure_reason.h"
#include "importer/core/flac/flac_reader.h"
#include "importer/core/signal/loudness.h"
#include "importer/core/media_input.h"
#include "importer/core/signal/resampler.h"
#include "importer/core/stage_timer.h"
#include "importer/core/song_template.h"
#include "importer/core/song_writer.h"
#include "importer/core/template_choice.h"
#include "importer/core/wav/wav_reader.h"

namespace tunegrab {

namespace {

// Runs decode into the resampler on a second thread (AsyncSink), so that
// decoding and resampling overlap; fills the stage times from start on.
Outcome DecodeThroughResampler(int rate, int channels, int64_t expectedFrames, Audio& song, StageTimes& times,
                               Clock::time_point start, const std::function<Outcome(AudioSink&)>& decode) {
  Resampler resampler(rate, channels, song);
  resampler.Expect(expectedFrames);
  TimedSink timed(resampler, times.resampleSeconds);
  AsyncSink async(timed, channels);
  Outcome decoded = decode(async);
  times.decodeSeconds = Since(start);
  async.Finish();
  Clock::time_point finish = Clock::now();
  resampler.Finish();
  times.resampleSeconds += Since(finish);
  times.readSeconds = Since(start);
  return decoded;
}

Outcome ReadWavInput(FileSource& source, Audio& song, StageTimes& times) {
  Clock::time_point start = Clock::now();
  WavLayout layout;
  Outcome found = ReadWavLayout(source, layout);
  if (!found.ok) return found;
  const int64_t frames = layout.blockAlign > 0 ? static_cast<int64_t>(layout.dataBytes / static_cast<uint64_t>(layout.blockAlign)) : 0;
  return DecodeThroughResampler(layout.rate, layout.channels, frames, song, times, start,
                                [&](AudioSink& sink) { return ReadWavSamples(source, layout, sink); });
}

// FLAC through the importer's own decoder; more than two channels are
// downmixed to stereo (FLAC's channel order is the usual one for the count).
Outcome ReadFlacInput(FileSource& source, Audio& song, StageTimes& times) {
  Clock::time_point start = Clock::now();
  FlacLayout layout;
  Outcome found = ReadFlacLayout(source, layout);
  if (!found.ok) return found;
  const int channels = layout.info.channels;
  const int64_t frames = static_cast<int64_t>(layout.info.totalSamples);  // 0 when unknown
  return DecodeThroughResampler(layout.info.rate, std::min(channels, 2), frames, song, times, start, [&](AudioSink& sink) {
    if (channels <= 2) return ReadFlacSamples(source, layout, sink);
    Downmixer stereo(sink, channels, 0);
    return ReadFlacSamples(source, layout, stereo);
  });
}

Outcome ReadMp3Input(const ConvertRequest& request, FileSource& source, Audio& song, StageTimes& times) {
  Clock::time_point start = Clock::now();
  if (source.Size() > kMaxMp3Bytes) return Outcome::Fail("The MP3 file is larger than 256 MB.");
  std::vector<uint8_t> bytes(static_cast<size_t>(source.Size()));
  if (!source.ReadExactAt(0, bytes.data(), bytes.size()))
    return Outcome::Fail("The input file cannot be read.", Failure::InputUnreadable);
  Mp3Scan scan;
  Outcome scanned = ScanMp3(bytes, scan);
  if (!scanned.ok) return scanned;
  if (!request.mp3) return Outcome::Fail("MP3 files need the MPEG Layer-3 codec of Windows.", Failure::NotReadableHere);
  return DecodeThroughResampler(scan.first.rate, scan.first.channels, Mp3EncodedSamples(scan), song, times, start,
                                [&](AudioSink& sink) { return request.mp3->Decode(bytes, scan, sink); });
}

Outcome ReadMediaInput(const ConvertRequest& request, const std::vector<uint8_t>& head, Audio& song, StageTimes& times) {
  if (!request.media) return MediaFoundationMissing(LooksLikeMediaFile(head.data(), head.size()));
  Clock::time_point start = Clock::now();
  MediaRead read = ReadThroughMediaDecoder(*request.media, request.input, head, song);
  times.decodeSeconds = read.decodeSeconds;
  times.resampleSeconds = read.resampleSeconds;
  times.readSeconds = Since(start);
  return read.outcome;
}

bool HasExtension(const std::string& path, const char* extension) {
  const size_t n = std::strlen(extension);
  if (path.size() < n) return false;
  for (size_t i = 0; i < n; ++i)
    if (std::tolower(static_cast<unsigned char>(path[path.size() - n + i])) != extension[i]) return false;
  return true;
}

// An ID3 tag or an MPEG audio frame header at the very start.
bool StartsLikeMp3(const std::vector<uint8_t>& head) {
  Mp3FrameHeader header;
  return (head.size() >= 3 && std::memcmp(head.data(), "ID3", 3) == 0) ||
         (head.size() >= 4 && ParseMp3FrameHeader(head.data(), header));
}

// WAV and FLAC files through the importer's own readers; MP3 files through the
// MPEG Layer-3 codec, and through the media decoder when the codec cannot
// take them; everything else through the media decoder, and an MP3 file
// under another name through the codec when that decoder cannot.
Outcome ReadInput(const ConvertRequest& request, Audio& song, StageTimes& times) {
  FileSource source;
  if (!source.Open(request.input.c_str())) return Outcome::Fail("The input file cannot be opened.", Failure::InputUnreadable);
  if (LooksLikeWav(source)) return ReadWavInput(source, song, times);
  if (LooksLikeFlac(source)) return ReadFlacInput(source, song, times);
  std::vector<uint8_t> head(static_cast<size_t>(std::min<uint64_t>(source.Size(), 64)));
  if (!source.ReadExactAt(0, head.data(), head.size()))
    return Outcome::Fail("The input file cannot be read.", Failure::InputUnreadable);
  if (HasExtension(request.input, ".mp3")) {
    Outcome mp3 = ReadMp3Input(request, source, song, times);
    if (mp3.ok || !request.media || mp3.kind == Failure::Specific || mp3.kind == Failure::InputUnreadable) return mp3;
    song.samples.clear();
    Outcome media = ReadMediaInput(request, head, song, times);
    return media.ok || media.kind != Failure::NotReadableHere ? media : mp3;
  }
  Outcome media = ReadMediaInput(request, head, song, times);
  if (media.ok || media.kind != Failure::NotReadableHere || !StartsLikeMp3(head)) return media;
  song.samples.clear();
  Outcome mp3 = ReadMp3Input(request, source, song, times);
  return mp3.ok ? mp3 : media;
}

void Report(const ConvertRequest& request, int percent) {
  if (request.progress) request.progress(percent);
}

}  // namespace

std::string ProducedName(const std::string& input) { return importer_window::ProducedSongName(kickora::FileNameOf(input)); }

ConvertResult ConvertSong(const ConvertRequest& request) {
  ConvertResult result;
  const std::string produced = ProducedName(request.input);
  if (!kickora::FileExistsUtf8(request.input))
    return result.outcome = Outcome::Fail("Cannot find the input file.", Failure::InputUnreadable), result;
  if (produced.empty())
    return result.outcome = Outcome::Fail("The input file's name needs a name before its extension."), result;
  if (!kickora::FolderExists(request.destinationFolder))
    return result.outcome = Outcome::Fail("Cannot find the destination folder."), result;

  Report(request, 2);

  // The template's loudness is measured beside the input's decoding; the
  // song is made at the likely template's layout and made again in the
  // rare case that this template does not decode and the one chosen
  // instead differs in rate or channels.
  Clock::time_point start = Clock::now();
  TemplateChooser chooser(request.destinationFolder);
  result.times.templateSeconds = Since(start);
  Report(request, 10);

  Audio song;
  song.rate = chooser.Likely().rate;
  song.channels = chooser.Likely().channels;
  result.outcome = ReadInput(request, song, result.times);
  start = Clock::now();
  const ChosenTemplate chosen = chooser.Finish();
  result.times.templateSeconds += Since(start);
  if (result.outcome.ok && (chosen.layout.rate != song.rate || chosen.layout.channels != song.channels)) {
    song = Audio{};
    song.rate = chosen.layout.rate;
    song.channels = chosen.layout.channels;
    result.outcome = ReadInput(request, song, result.times);
  }
  result.templateName = chosen.name;
  result.templateMeasured = chosen.measured;
  result.targetLufs = chosen.measured ? chosen.lufs : kDefaultTargetLufs;
  result.matched = request.matchLoudness;
  Report(request, 55);

  if (result.outcome.ok && song.Frames() == 0) result.outcome = Outcome::Fail("The input file holds no audio.", Failure::Damaged);
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
    result.songPath = kickora::JoinPath(request.destinationFolder, produced);
    result.outcome = WriteWithConverter(song, gain.gain, chosen.layout, result.songPath);
    result.times.encodeSeconds = Since(start);
  }
  Report(request, 100);
  return result;
}

std::string ReasonText(const ConvertResult& result) { return ReasonSentence(result.outcome); }

std::string StatusText(const ConvertResult& result) {
  if (!result.outcome.ok) return result.outcome.text;
  char text[400];
  const std::string songName = kickora::FileNameOf(result.songPath);
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
