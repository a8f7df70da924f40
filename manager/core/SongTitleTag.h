// A music file's title tag, read by our own parsers from the file's first
// bytes. Every length in the file is checked against the bytes given;
// a tag that lies beyond them, or is damaged, gives no title.
//   ID3v2 TIT2 (TT2 in version 2.2): MP3 and AAC files, and the "id3 "
//     chunk of WAV and AIFF files;
//   Vorbis comment TITLE: FLAC, Ogg Vorbis, Opus and Ogg FLAC;
//   MP4 moov/udta/meta/ilst "\xA9nam": M4A, MP4;
//   RIFF LIST/INFO INAM: WAV; the NAME chunk: AIFF.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The title in UTF-8, or as the file spells it where its tag has no
// declared encoding (RIFF INFO, AIFF NAME: mostly code page 1252); "" when
// the bytes hold none.
std::string TitleTag(const uint8_t* data, size_t size);
