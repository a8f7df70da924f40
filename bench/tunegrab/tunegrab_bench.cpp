// Where the importer's time goes: one conversion in-process, as
// tunegrab.exe runs it, with the time of each stage.
// Usage: tunegrab_bench <input> <destination folder>
#include <cstdio>

#include "importer/core/convert_song.h"
#include "importer/win32/acm_mp3_decoder.h"
#include "importer/core/mp4/mp4_input.h"
#include "importer/win32/mf_aac_decoder.h"
#include "importer/win32/mf_decoder.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::printf("usage: tunegrab_bench <input> <destination folder>\n");
    return 2;
  }
  AcmMp3Decoder mp3;
  MfAacDecoder aac;
  MfDecoder sourceReader;
  tunegrab::Mp4AacInput media(&aac, sourceReader);
  tunegrab::ConvertRequest request;
  request.media = &media;
  request.input = argv[1];
  request.destinationFolder = argv[2];
  request.mp3 = &mp3;
  tunegrab::ConvertResult r = tunegrab::ConvertSong(request);
  const tunegrab::StageTimes& t = r.times;
  std::printf("\n%s\n", tunegrab::StatusText(r).c_str());
  std::printf("template (choice, decode, loudness) %.3f s\n", t.templateSeconds);
  std::printf("decode %.3f s and resample %.3f s, on two threads together %.3f s\n", t.decodeSeconds,
              t.resampleSeconds, t.readSeconds);
  std::printf("loudness %.3f s\nencode (WAV, converter import, rename) %.3f s\n", t.loudnessSeconds, t.encodeSeconds);
  std::printf("total %.3f s\n", t.templateSeconds + t.readSeconds + t.loudnessSeconds + t.encodeSeconds);
  return r.outcome.ok ? 0 : 1;
}
