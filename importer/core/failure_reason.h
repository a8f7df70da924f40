// The sentence a player is told when no song was made, and how the
// platform decoder's error codes and the input's first bytes lead to it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "importer/core/audio.h"

namespace tunegrab {

// Empty for a success; otherwise one sentence in a player's words.
std::string ReasonSentence(const Outcome& outcome);

// True when the first bytes of a file are those of a sound or media file
// format (WAV, AIFF, MP3, AAC, MP4/M4A, FLAC, Ogg, ASF/WMA, Matroska, ...),
// whether or not this computer can decode it.
bool LooksLikeMediaFile(const uint8_t* head, size_t size);

// Where the platform decoder failed: opening the file and choosing its
// output, or later while reading its audio.
enum class MediaStage { Open, Read };

// The outcome for a Media Foundation error code (HRESULT). mediaFile tells
// whether the input looks like a media file (LooksLikeMediaFile).
Outcome MediaFailure(uint32_t hresult, MediaStage stage, bool mediaFile);

// The outcome when Media Foundation is not on this computer.
Outcome MediaFoundationMissing(bool mediaFile);

}  // namespace tunegrab
