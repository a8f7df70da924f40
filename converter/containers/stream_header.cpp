#include "converter/containers/stream_header.h"

#include "converter/context/context.h"
#include "converter/support/fatal.h"
#include "converter/support/file_io.h"

static_assert(EA_ADPCM == kickora::kCodecEaAdpcm && IMA_ADPCM == kickora::kCodecImaAdpcm &&
                  EA_ADPCM2 == kickora::kCodecEaAdpcm2,
              "the header reader sets the converter's codec bits");

namespace {

// The music file as the header scan's source: exact reads, zero-filled
// reads and skips, the same calls on the FILE the converter has always made.
class FileSource final : public kickora::ByteSource {
 public:
  explicit FileSource(FILE* file) : file_(file) {}
  bool ReadExact(uint8_t* buffer, size_t count) override { return ::ReadExact(file_, buffer, count); }
  void ReadZeroFilled(uint8_t* buffer, size_t count) override { ::ReadZeroFilled(file_, buffer, count); }
  void Skip(long count) override { SkipBytes(file_, count); }

 private:
  FILE* file_;
};

}  // namespace

const char* CodecModeName(uint16_t codecFlags) {
  static const char* const kNames[6] = {"EA_ADPCM", "IMA_ADPCM", "UNCOMP_OLD", "UNCOMP_16", "UNCOMP_8", "EA_ADPCM2"};
  for (int bit = 5; bit >= 0; --bit)
    if (codecFlags & (1u << bit)) return kNames[bit];
  return "<unknown>";
}

void PrintStreamLine(ConversionContext& ctx) {
  const StreamParams& p = ctx.params;
  ctx.Print("Frequency %d, BitsPerSample %d, Channels %d, Length %d, Mode %s\n", p.frequency, p.bitsPerSample,
              p.channels, p.length, CodecModeName(p.codecFlags));
}

int ProcessHeaderFields(uint8_t* list, int listSize, FieldMode mode, const HeaderFields& fields) {
  const kickora::FieldListResult result = kickora::WalkFieldList(list, listSize, mode, fields);
  if (!result.wellFormed) Fatal("doptdata!");
  return result.end;
}

bool ReadStreamHeader(ConversionContext& ctx, FILE* file, int32_t& payloadLength) {
  StreamParams& params = ctx.params;
  kickora::StreamHeaderInfo info;
  info.eacsSeen = params.eacsSeen;
  info.oneSnhSeen = params.oneSnhSeen;
  info.oneSnhSize = params.oneSnhSize;
  FileSource source(file);
  const kickora::ScanResult result = kickora::ScanStreamHeader(source, payloadLength, info);

  // The parameters are the context's whatever the outcome: a fatal header
  // leaves them as far as the scan got.
  params.channels = info.channels;
  params.bitsPerSample = info.bitsPerSample;
  params.frequency = info.frequency;
  params.length = info.length;
  params.codecFlags = info.codecFlags;
  params.eacsSeen = info.eacsSeen;
  params.oneSnhSeen = info.oneSnhSeen;
  params.oneSnhSize = info.oneSnhSize;
  payloadLength = info.payloadLength;

  switch (result.status) {
    case kickora::ScanStatus::BadSelfSizedPt:
      FatalNoNewline("something wrong with SCHl identifier...");
    case kickora::ScanStatus::BadFieldList:
      Fatal("doptdata!");
    case kickora::ScanStatus::NotFound:
      return false;
    case kickora::ScanStatus::Found:
      break;
  }
  if (result.announced) PrintStreamLine(ctx);
  return true;
}
