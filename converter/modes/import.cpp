#include "converter/modes/import.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "converter/containers/bank_import.h"
#include "converter/containers/bnk.h"
#include "converter/containers/stream_header.h"
#include "converter/containers/stream_import.h"
#include "converter/containers/wav.h"
#include "converter/containers/wave_samples.h"
#include "converter/fatal.h"
#include "converter/file_io.h"
#include "converter/import_state.h"
#include "converter/messages.h"
#include "converter/state.h"

namespace {

void ReadHeaderCopy(FILE* original, long from) {
  ImportState& st = Import();
  std::fseek(original, from, SEEK_SET);
  st.headerCopyBytes = static_cast<int>(ReadZeroFilled(original, st.headerCopy, kHeaderCopyBytes));
  StreamParams& p = Params();
  ProcessHeaderFields(st.headerCopy, kHeaderCopyBytes, FieldMode::Read,
                      HeaderFields{&p.channels, &p.frequency, &p.length, &p.codecFlags, nullptr});
}

// The data size in a WAV header is not trusted beyond the bytes the file
// holds: streaming writers leave it at 0xFFFFFFFF, and a bank import
// allocates by it.
int32_t UsableWaveBytes(FILE* wav, int32_t announced) {
  long here = std::ftell(wav);
  long size = FileSize(wav);
  long available = (here >= 0 && size > here) ? size - here : 0;
  if (available > INT_MAX) available = INT_MAX;
  if (announced < 0 || announced > available) return static_cast<int32_t>(available);
  return announced;
}

// The user's bank sample number as the platform's text-to-long conversion
// reads it, kept to the 32 bits that conversion has on the game's platform.
long long SampleNumber(const char* text) {
  long long n = std::strtoll(text, nullptr, 10);
  if (n > INT_MAX) n = INT_MAX;
  if (n < INT_MIN) n = INT_MIN;
  return n;
}

}  // namespace

void ProbeOriginal(FILE* original, int slot) {
  StreamParams& p = Params();
  ImportState& st = Import();
  p.frequency = 22050;
  p.channels = 1;
  p.length = 0;

  uint8_t tag[4];
  ReadZeroFilled(original, tag, 4);

  if (std::memcmp(tag, "SCHl", 4) == 0) {
    uint8_t next[8];
    ReadZeroFilled(original, next, 8);
    p.codecFlags = ORIG_SCHL;
    long scanFrom = 12;
    if (std::memcmp(next + 4, "PT\0\0", 4) == 0) {
      ReadHeaderCopy(original, 8);
      scanFrom = 4;
    }
    std::fseek(original, scanFrom, SEEK_SET);
    uint8_t unit[4];
    while (ReadExact(original, unit, 4) && std::memcmp(unit, "SCDl", 4) != 0) {
    }
  } else if (std::memcmp(tag, "PT\0\x02", 4) == 0) {
    p.codecFlags = ORIG_PT;
    ReadHeaderCopy(original, 0);
  } else {
    if (!TagIs(tag, "BNK", 3)) FatalUnsupportedOriginal();
    p.codecFlags = ORIG_BNK;
    if (slot < 0) return;
    std::memset(st.headerCopy, 0, sizeof st.headerCopy);
    int headerBytes = 0;
    if (FindBankSample(original, st.headerCopy, slot, nullptr, &headerBytes) != 1) FatalNoBankSample(slot);
    if (headerBytes < 0 || headerBytes > kHeaderCopyBytes) headerBytes = kHeaderCopyBytes;
    st.headerCopyBytes = headerBytes;
    st.dataOffset = 0;
    ProcessHeaderFields(st.headerCopy, headerBytes, FieldMode::Read,
                        HeaderFields{&p.channels, &p.frequency, &p.length, &p.codecFlags, &st.dataOffset});
  }
  std::printf("Original file: channels=%d, frequency=%d\n", p.channels, p.frequency);
}

ModeResult RunImport(int argc, char** argv) {
  if (argc < 5) return ModeResult::kFailureShowUsage;
  const char* waveName = argv[2];
  const char* destination = argv[3];
  const char* originalName = argv[4];
  ResetImportState();

  FileHandle wav = OpenFile(waveName, "rb");
  if (!wav) FatalCouldNotOpen(waveName);
  // A song is read in blocks of a few kilobytes; fewer, larger reads.
  std::setvbuf(wav.get(), nullptr, _IOFBF, 1 << 16);
  int32_t waveBytes = UsableWaveBytes(wav.get(), ReadWaveInput(wav.get()));
  Import().waveChannels = Params().channels;

  FileHandle original = OpenFile(originalName, "rb");
  if (!original) Fatal("couldn't open original sound file '%s'\n", originalName);
  ProbeOriginal(original.get(), -1);

  if (Params().codecFlags & ORIG_BNK) {
    if (argc <= 5) Fatal("BNK importing needs BNK sample number");
    long long number = SampleNumber(argv[5]);
    int slot = number <= INT_MIN ? INT_MIN : static_cast<int>(number - 1);
    // The probe would take a negative slot as a question for the kind only.
    if (slot < 0) FatalNoBankSample(slot);
    std::fseek(original.get(), 0, SEEK_SET);
    ProbeOriginal(original.get(), slot);
  }

  RequireCodableChannels();
  int32_t pcmBytes = ConvertedByteCount(waveBytes);
  if (Params().codecFlags & ORIG_BNK) {
    ImportBankSample(pcmBytes, wav.get(), std::move(original), destination);
  } else {
    ImportStream(pcmBytes, wav.get(), std::move(original), destination);
  }
  wav.reset();
  std::printf("encoding successful\n");
  return ModeResult::kSuccess;
}
