#include "converter/modes/export.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "converter/containers/big.h"
#include "converter/containers/bnk.h"
#include "converter/containers/stream_decode.h"
#include "converter/containers/stream_header.h"
#include "converter/containers/wav.h"
#include "converter/file_io.h"
#include "converter/messages.h"
#include "converter/state.h"
#include "converter/text.h"

namespace {

bool EndsWithAsf(const std::string& name) {
  if (name.size() <= 4) return false;
  std::string tail = name.substr(name.size() - 4);
  for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return tail == ".asf";
}

// "*.asf" becomes "*.wav" beside it; any other name gives "NNN.wav" in the
// destination directory.
std::string StreamFileName(const char* musicName, int streamNumber) {
  std::string name;
  if (EndsWithAsf(musicName)) {
    name = musicName;
    name.replace(name.size() - 3, 3, "wav");
  } else {
    char numbered[32];
    std::snprintf(numbered, sizeof numbered, "%3.3d.wav", streamNumber);
    name = numbered;
  }
  return name;
}

// Writes every stream of the music file to its own WAV file.
bool ExportStreams(FILE* music, const char* musicName) {
  ConverterState& state = Converter();
  int32_t payloadLength = static_cast<int32_t>(std::min<long>(FileSize(music), INT32_MAX));
  if (!ReadStreamHeader(music, payloadLength)) return false;

  for (int streamNumber = 0;; ++streamNumber) {
    const std::string name = StreamFileName(musicName, streamNumber);
    std::string path = JoinPath(state.destinationDir, name);
    if (name.size() > kFileNameChars || path.size() > kFullPathChars) return ReportCouldNotOpen(name.c_str());

    ClearReadOnly(path.c_str());
    FileHandle wav = OpenFile(path.c_str(), "wb");
    if (!wav) return ReportCouldNotOpen(name.c_str());
    WriteWavHeader(wav.get());
    std::printf("\nWriting %s\n", name.c_str());
    bool decoded = payloadLength != 0 ? DecodePayload(music, wav.get(), payloadLength)
                                      : DecodeBlocks(music, wav.get(), state.forcedMode);
    wav.reset();
    if (!decoded) return false;
    std::printf("\nOperation complete\n");
    payloadLength = 0;
    if (!ReadStreamHeader(music, payloadLength)) return true;
  }
}

// The optional arguments: a number is the forced mode (and, without a third
// argument, also the destination directory), anything else the directory.
bool ReadExportOptions(int argc, char** argv, ConverterState& state) {
  if (argc <= 2) return true;
  const char* second = argv[2];
  if (std::strlen(second) > kDestinationDirChars) return ReportCouldNotOpen(second);
  std::strcpy(state.destinationDir, second);
  long mode = ParseDecimal(second);
  if (mode <= 0) return true;
  state.forcedMode = static_cast<int>(mode - 1);
  std::printf("Mode forced to %d\n", static_cast<int>(mode));
  if (argc > 3) {
    if (std::strlen(argv[3]) > kDestinationDirChars) return ReportCouldNotOpen(argv[3]);
    std::strcpy(state.destinationDir, argv[3]);
  }
  return true;
}

bool Export(int argc, char** argv) {
  ConverterState& state = Converter();
  if (!ReadExportOptions(argc, argv, state)) return false;

  const char* musicName = argv[1];
  FileHandle music = OpenFile(musicName, "rb");
  if (!music) return ReportCouldNotOpen(musicName);

  uint8_t magic[4] = {};
  ReadZeroFilled(music.get(), magic, 4);
  bool isBigf = TagIs(magic, "BIGF", 4);
  if (isBigf || (magic[0] == 0xC0 && magic[1] == 0xFB)) return ScanBigArchive(music.get(), isBigf, state.forcedMode);
  if (TagIs(magic, "BNK", 3)) return ExportBank(music.get(), state.forcedMode);

  std::rewind(music.get());
  return ExportStreams(music.get(), musicName);
}

}  // namespace

ModeResult RunExport(int argc, char** argv) { return ModeResultOf(Export(argc, argv)); }
