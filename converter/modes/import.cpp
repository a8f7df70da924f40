#include "converter/modes/import.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "converter/containers/bank_import.h"
#include "converter/containers/bnk.h"
#include "converter/containers/stream_header.h"
#include "converter/containers/stream_import.h"
#include "converter/containers/wav.h"
#include "converter/containers/wave_samples.h"
#include "converter/context/context.h"
#include "converter/support/fatal.h"
#include "converter/support/file_io.h"
#include "converter/support/messages.h"

namespace {

void SeekTo(FILE* file, long position) { std::fseek(file, position, SEEK_SET); }
void SeekTo(MemoryReader& memory, long position) { memory.position = static_cast<size_t>(position); }

template <typename Source>
void ReadHeaderCopy(ConversionContext& ctx, Source& original, long from) {
  ImportState& st = ctx.import;
  SeekTo(original, from);
  st.headerCopyBytes = static_cast<int>(ReadZeroFilled(original, st.headerCopy, kHeaderCopyBytes));
  StreamParams& p = ctx.params;
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

// The stream kinds of original: an SCHl stream, left just behind the tag of
// its first data block, or a bare "PT" header file. False for anything else.
template <typename Source>
bool ProbeStreamOriginal(ConversionContext& ctx, Source& original, const uint8_t* tag) {
  StreamParams& p = ctx.params;
  if (std::memcmp(tag, "SCHl", 4) == 0) {
    uint8_t next[8];
    ReadZeroFilled(original, next, 8);
    p.codecFlags = ORIG_SCHL;
    long scanFrom = 12;
    if (std::memcmp(next + 4, "PT\0\0", 4) == 0) {
      ReadHeaderCopy(ctx, original, 8);
      scanFrom = 4;
    }
    SeekTo(original, scanFrom);
    uint8_t unit[4];
    while (ReadExact(original, unit, 4) && std::memcmp(unit, "SCDl", 4) != 0) {
    }
    return true;
  }
  if (std::memcmp(tag, "PT\0\x02", 4) == 0) {
    p.codecFlags = ORIG_PT;
    ReadHeaderCopy(ctx, original, 0);
    return true;
  }
  return false;
}

void ResetForProbe(StreamParams& p) {
  p.frequency = 22050;
  p.channels = 1;
  p.length = 0;
}

}  // namespace

bool ProbeStreamOriginal(ConversionContext& ctx, MemoryReader& original) {
  ResetForProbe(ctx.params);
  uint8_t tag[4];
  ReadZeroFilled(original, tag, 4);
  return ProbeStreamOriginal(ctx, original, tag);
}

void ProbeOriginal(ConversionContext& ctx, FILE* original, int slot) {
  StreamParams& p = ctx.params;
  ImportState& st = ctx.import;
  ResetForProbe(p);

  uint8_t tag[4];
  ReadZeroFilled(original, tag, 4);

  if (!ProbeStreamOriginal(ctx, original, tag)) {
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
  ctx.Print("Original file: channels=%d, frequency=%d\n", p.channels, p.frequency);
}

tonepak::Status RunImport(ConversionContext& ctx, const tonepak::ImportRequest& request) {
  const char* waveName = request.waveFile.c_str();
  const char* destination = request.destination.c_str();
  const char* originalName = request.original.c_str();

  FileHandle wav = OpenFile(waveName, "rb");
  if (!wav) FatalCouldNotOpen(waveName);
  // A song is read in blocks of a few kilobytes; fewer, larger reads.
  std::setvbuf(wav.get(), nullptr, _IOFBF, 1 << 16);
  int32_t waveBytes = UsableWaveBytes(wav.get(), ReadWaveInput(wav.get(), ctx.params));
  ctx.import.waveChannels = ctx.params.channels;

  FileHandle original = OpenFile(originalName, "rb");
  if (!original) Fatal("couldn't open original sound file '%s'\n", originalName);
  ProbeOriginal(ctx, original.get(), -1);

  if (ctx.params.codecFlags & ORIG_BNK) {
    if (!request.bankSample) Fatal("BNK importing needs BNK sample number");
    // The number is kept to the 32 bits of the game platform's long.
    long long number = std::clamp<long long>(*request.bankSample, INT_MIN, INT_MAX);
    int slot = number <= INT_MIN ? INT_MIN : static_cast<int>(number - 1);
    // The probe would take a negative slot as a question for the kind only.
    if (slot < 0) FatalNoBankSample(slot);
    std::fseek(original.get(), 0, SEEK_SET);
    ProbeOriginal(ctx, original.get(), slot);
  }

  RequireCodableChannels(ctx.params.channels);
  int32_t pcmBytes = ConvertedByteCount(ctx, waveBytes);
  if (ctx.params.codecFlags & ORIG_BNK) {
    ImportBankSample(ctx, pcmBytes, wav.get(), std::move(original), destination);
  } else {
    ImportStream(ctx, pcmBytes, wav.get(), std::move(original), destination);
  }
  wav.reset();
  ctx.Print("encoding successful\n");
  return tonepak::Status::kSuccess;
}
