#include "importer/core/failure_reason.h"

#include <cstdio>
#include <cstring>

namespace tunegrab {

namespace {

// Media Foundation and Win32 error codes, as the platform reports them.
constexpr uint32_t kUnsupportedByteStreamType = 0xC00D36C4;  // MF_E_UNSUPPORTED_BYTESTREAM_TYPE
constexpr uint32_t kUnsupportedScheme = 0xC00D36C3;          // MF_E_UNSUPPORTED_SCHEME
constexpr uint32_t kUnsupportedFormat = 0xC00D3E98;          // MF_E_UNSUPPORTED_FORMAT
constexpr uint32_t kCodecNotFound = 0xC00D5212;              // MF_E_TOPO_CODEC_NOT_FOUND
constexpr uint32_t kInvalidMediaType = 0xC00D36B4;           // MF_E_INVALIDMEDIATYPE
constexpr uint32_t kInvalidType = 0xC00D36BD;                // MF_E_INVALIDTYPE
constexpr uint32_t kNoMoreTypes = 0xC00D36B9;                // MF_E_NO_MORE_TYPES
constexpr uint32_t kNoConversion = 0xC00D6D6F;               // MF_E_TRANSFORM_NOT_POSSIBLE_FOR_CURRENT_MEDIATYPE_COMBINATION
constexpr uint32_t kInvalidStreamNumber = 0xC00D36B3;        // MF_E_INVALIDSTREAMNUMBER (no audio stream)
constexpr uint32_t kClassNotRegistered = 0x80040154;         // REGDB_E_CLASSNOTREG
constexpr uint32_t kNotImplemented = 0x80004001;             // E_NOTIMPL
constexpr uint32_t kInvalidFileFormat = 0xC00D36BE;          // MF_E_INVALID_FILE_FORMAT
constexpr uint32_t kInvalidStreamData = 0xC00D36CB;          // MF_E_INVALID_STREAM_DATA
constexpr uint32_t kCannotParse = 0xC00D36F0;                // MF_E_CANNOT_PARSE_BYTESTREAM
constexpr uint32_t kAsfInvalidData = 0xC00D3A9A;             // MF_E_ASF_INVALIDDATA
constexpr uint32_t kAsfIncomplete = 0xC00D3A98;              // MF_E_ASF_PARSINGINCOMPLETE
constexpr uint32_t kFileNotFound = 0x80070002, kPathNotFound = 0x80070003, kAccessDenied = 0x80070005,
                   kSharingViolation = 0x80070020, kLockViolation = 0x80070021;
constexpr uint32_t kOutOfMemory = 0x8007000E;

bool Any(uint32_t code, std::initializer_list<uint32_t> codes) {
  for (uint32_t c : codes)
    if (c == code) return true;
  return false;
}

bool At(const uint8_t* head, size_t size, size_t offset, const char* tag) {
  const size_t n = std::strlen(tag);
  return size >= offset + n && std::memcmp(head + offset, tag, n) == 0;
}

}  // namespace

std::string ReasonSentence(const Outcome& outcome) {
  if (outcome.ok) return "";
  switch (outcome.kind) {
    case Failure::NotReadableHere:
      return "This type of music file cannot be read on this computer: convert it to WAV or MP3 and try again.";
    case Failure::Damaged: return "The file is damaged or is not music.";
    case Failure::InputUnreadable:
      return "The music file cannot be opened: another program may be using it, or you may not be allowed to read it.";
    case Failure::DiskFull: return "The disk is full: make room on it and try again.";
    case Failure::CannotWrite:
      return "The new song cannot be written into the game's music folder: check that you may write there.";
    case Failure::None:
    case Failure::Specific: break;
  }
  return outcome.text;
}

bool LooksLikeMediaFile(const uint8_t* head, size_t size) {
  static const uint8_t kAsf[] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11};
  static const uint8_t kMatroska[] = {0x1A, 0x45, 0xDF, 0xA3};
  if (At(head, size, 0, "RIFF") || At(head, size, 0, "RIFX") || At(head, size, 0, "RF64")) return true;
  if (At(head, size, 0, "FORM") && (At(head, size, 8, "AIFF") || At(head, size, 8, "AIFC"))) return true;
  if (At(head, size, 4, "ftyp") || At(head, size, 4, "moov") || At(head, size, 4, "mdat")) return true;
  for (const char* tag : {"fLaC", "OggS", "ID3", "caff", "MAC ", "wvpk", "#!AMR", ".snd", "TTA1", "MPCK", "MP+"})
    if (At(head, size, 0, tag)) return true;
  if (size >= sizeof kAsf && std::memcmp(head, kAsf, sizeof kAsf) == 0) return true;
  if (size >= sizeof kMatroska && std::memcmp(head, kMatroska, sizeof kMatroska) == 0) return true;
  // An MPEG audio or ADTS frame header at the start: eleven sync bits, a
  // layer (or ADTS's zero layer) and a bitrate/rate field that is not all ones.
  return size >= 3 && head[0] == 0xFF && (head[1] & 0xE0) == 0xE0 && (head[2] & 0xF0) != 0xF0;
}

Outcome MediaFailure(uint32_t hresult, MediaStage stage, bool mediaFile) {
  char code[96];
  std::snprintf(code, sizeof code, " (Media Foundation error 0x%08X)", static_cast<unsigned>(hresult));
  if (Any(hresult, {kFileNotFound, kPathNotFound, kAccessDenied, kSharingViolation, kLockViolation}))
    return Outcome::Fail(std::string("The input file cannot be opened") + code + ".", Failure::InputUnreadable);
  if (hresult == kOutOfMemory) return Outcome::Fail("There is not enough memory to decode the input file.");
  if (Any(hresult, {kInvalidFileFormat, kInvalidStreamData, kCannotParse, kAsfInvalidData, kAsfIncomplete}))
    return Outcome::Fail(std::string("The input file is damaged") + code + ".", Failure::Damaged);
  const bool noDecoder = Any(hresult, {kUnsupportedByteStreamType, kUnsupportedScheme, kUnsupportedFormat, kCodecNotFound,
                                       kInvalidMediaType, kInvalidType, kNoMoreTypes, kNoConversion, kClassNotRegistered,
                                       kNotImplemented, kInvalidStreamNumber});
  // A file that is no media file at all is not music, whatever the code;
  // one that is and fails while its audio is read is damaged.
  if (!mediaFile) return Outcome::Fail(std::string("The input file is not a music file") + code + ".", Failure::Damaged);
  if (stage == MediaStage::Read && !noDecoder)
    return Outcome::Fail(std::string("The input file could not be decoded to its end") + code + ".", Failure::Damaged);
  return Outcome::Fail(std::string("This computer has no decoder for the input file's type") + code + ".",
                       Failure::NotReadableHere);
}

Outcome MediaFoundationMissing(bool mediaFile) {
  if (!mediaFile) return Outcome::Fail("The input file is neither a WAV, FLAC or MP3 file nor any other music file.", Failure::Damaged);
  return Outcome::Fail("Files other than WAV, FLAC and MP3 are read through Media Foundation, which this computer does not have.",
                       Failure::NotReadableHere);
}

}  // namespace tunegrab
