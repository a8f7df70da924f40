// The name a new song is given when the player has not typed one: made
// from the music file's title tag, else from its file name, as letters and
// digits only (accented letters folded to plain ones, Cyrillic and Greek
// spelt in Latin letters), at most eight characters, never beginning with
// "1" (the main window leaves such songs out), and not the name of a song
// the music folder holds already; "song" and a number when neither gives a
// letter (a name in Japanese, emoji only). Music files' paths are in UTF-8.
#pragma once

#include <cstdint>
#include <string>

#include "manager/core/modFiles.h"

// How much of a music file is read for its tags.
constexpr size_t TitleTagReadBytes = 256 * 1024;

// The plain letters and digits of a text: accented Latin letters become
// their plain letters (é -> e, Æ -> AE, ß -> ss), Cyrillic and Greek ones
// their Latin spelling (Песня -> Pesnya, Ψ -> Ps), everything else goes.
// The text is read as UTF-8; a byte that starts no valid sequence is taken
// as a code page 1252 character.
std::string FoldUtf8(const std::string& text);

// Letters and digits already folded, made a song name: the "1"s it
// begins with dropped, then at most eight characters. "" when none is left.
std::string SongNameFromLetters(const std::string& letters);

// True when music folder already holds the song (case ignored, as the
// file system does) or Windows keeps the name for a device (con, nul, com1).
bool SongNameTaken(IFileSystem& fs, const std::string& name);

// name itself when free, else name with a number in its last places
// (goal -> goal2, goal3, ...; abcdefgh -> abcdefg2).
std::string FreeSongName(IFileSystem& fs, const std::string& name);

// The first of song1, song2, ... that is free.
std::string FallbackSongName(IFileSystem& fs);

// The title a music file's tags give: the system's readers first, then our
// own over the file's first TitleTagReadBytes. "" when there is none.
std::string SongTitle(IFileSystem& fs, const std::string& inputFile);

// The free song name suggested for a music file (a full path).
std::string SuggestedSongName(IFileSystem& fs, const std::string& inputFile);
