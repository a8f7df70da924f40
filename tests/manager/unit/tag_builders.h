// Music files' tags built byte by byte, for the title reader's unit tests
// and its fuzz target's seeds: one small file of each kind with its title.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tag_builders {

inline std::string Le32(uint32_t v) { return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }
inline std::string Be32(uint32_t v) { return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; }
inline std::string Be24(uint32_t v) { return {char(v >> 16), char(v >> 8), char(v)}; }
inline std::string SyncSafe(uint32_t v) {
  return {char((v >> 21) & 0x7F), char((v >> 14) & 0x7F), char((v >> 7) & 0x7F), char(v & 0x7F)};
}

inline std::string Id3(int major, const std::string& frames) {
  return std::string("ID3") + char(major) + '\0' + '\0' + SyncSafe(uint32_t(frames.size())) + frames;
}
inline std::string Id3Frame(int major, const std::string& id, const std::string& content) {
  if (major == 2) return id + Be24(uint32_t(content.size())) + content;
  return id + (major == 3 ? Be32(uint32_t(content.size())) : SyncSafe(uint32_t(content.size()))) + '\0' + '\0' +
         content;
}
inline std::string VorbisComment(const std::vector<std::string>& entries) {
  std::string out = Le32(6) + "kickor" + Le32(uint32_t(entries.size()));
  for (const std::string& e : entries) out += Le32(uint32_t(e.size())) + e;
  return out;
}
inline std::string OggPage(uint32_t serial, const std::string& lacing, const std::string& data) {
  return std::string("OggS") + '\0' + '\0' + std::string(8, '\0') + Le32(serial) + Le32(0) + Le32(0) +
         char(lacing.size()) + lacing + data;
}
inline std::string Box(const std::string& type, const std::string& content) {
  return Be32(uint32_t(8 + content.size())) + type + content;
}
inline std::string Chunk(const std::string& id, const std::string& data, bool bigEndian) {
  std::string out = id + (bigEndian ? Be32(uint32_t(data.size())) : Le32(uint32_t(data.size()))) + data;
  if (data.size() & 1) out += '\0';
  return out;
}

struct TaggedFile {
  std::string name;   // what kind of file, as a file name
  std::string bytes;
  std::string title;  // what the reader must find
};

inline std::vector<TaggedFile> TaggedFiles() {
  std::vector<TaggedFile> files;
  // ID3v2.3, UTF-16 with a byte order mark, after another frame.
  const std::string utf16 = std::string("\x01\xFF\xFE", 3) + std::string("C\0a\0n\0c\0i\0\xF3\0n\0\0\0", 16);
  files.push_back({"id3v23_utf16.mp3",
                   Id3(3, Id3Frame(3, "TPE1", std::string("\0Band", 5)) + Id3Frame(3, "TIT2", utf16)) +
                       std::string(10, '\0'),
                   "Canci\xC3\xB3n"});
  files.push_back({"id3v24_utf8.mp3", Id3(4, Id3Frame(4, "TIT2", "\x03Gol\xC3\xA9")) + "\xFF\xFB", "Gol\xC3\xA9"});
  files.push_back({"id3v22_latin1.mp3", Id3(2, Id3Frame(2, "TT2", std::string("\0Ni\xF1o", 5))), "Ni\xC3\xB1o"});
  files.push_back({"id3v23_utf16be.aac", Id3(3, Id3Frame(3, "TIT2", std::string("\x02\0H\0i", 5))), "Hi"});

  const std::string comment = VorbisComment({"ARTIST=Band", "title=Flac Song"});
  files.push_back({"comment.flac",
                   "fLaC" + std::string(1, '\0') + Be24(34) + std::string(34, '\0') + char(0x84) +
                       Be24(uint32_t(comment.size())) + comment,
                   "Flac Song"});
  // Opus: the head on one page, the tags on the next.
  const std::string tags = "OpusTags" + VorbisComment({"TITLE=Opus Song"});
  files.push_back({"tags.opus",
                   OggPage(7, "\x13", "OpusHead" + std::string(11, '\0')) +
                       OggPage(7, std::string(1, char(tags.size())), tags),
                   "Opus Song"});
  // Vorbis: a long comment packet that goes on to the next page, and a
  // page of another stream between them.
  const std::string vorbis = "\x03vorbis" + VorbisComment({"TITLE=" + std::string(270, 'v')});
  files.push_back({"two_pages.ogg",
                   OggPage(1, "\x1E", "\x01vorbis" + std::string(23, '\0')) +
                       OggPage(1, "\xFF", vorbis.substr(0, 255)) + OggPage(2, "\x03", "xyz") +
                       OggPage(1, std::string(1, char(vorbis.size() - 255)), vorbis.substr(255)),
                   std::string(270, 'v')});

  const std::string ilst = Box("ilst", Box("\xA9nam", Box("data", Be32(1) + Be32(0) + "M4a Song")));
  const std::string meta = Box("meta", Be32(0) + Box("hdlr", std::string(25, '\0')) + ilst);
  files.push_back({"ilst.m4a",
                   Box("ftyp", "M4A ") + Box("moov", Box("mvhd", std::string(100, '\0')) + Box("udta", meta)),
                   "M4a Song"});

  files.push_back({"info.wav",
                   "RIFF" + Le32(100) + "WAVE" + Chunk("fmt ", std::string(16, '\0'), false) +
                       Chunk("LIST", "INFO" + Chunk("IART", "Band", false) + Chunk("INAM", "Wav\xE9", false), false) +
                       Chunk("data", "ab", false),
                   "Wav\xE9"});
  files.push_back({"name.aiff",
                   "FORM" + Be32(100) + "AIFF" + Chunk("COMM", std::string(18, '\0'), true) +
                       Chunk("NAME", "Aiff Song", true),
                   "Aiff Song"});
  files.push_back({"id3_chunk.aifc",
                   "FORM" + Be32(100) + "AIFC" +
                       Chunk("ID3 ", Id3(3, Id3Frame(3, "TIT2", std::string("\0Tagged", 7))), true),
                   "Tagged"});
  files.push_back({"text.m4a", "Just some notes, renamed.", ""});
  return files;
}

}  // namespace tag_builders
