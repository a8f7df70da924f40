// What the song manager expects of the importer's window, and the one rule
// both programs use to name the file a conversion produces. tunedeck starts
// tunegrab.exe hidden, types into its two boxes, sends convert and reads
// the reason control when no song was produced; tunegrab implements it.
#pragma once

#include <string>

#include "common/base/text_encoding.h"

namespace importer_window {

constexpr const char* ProgramName = "tunegrab.exe";
constexpr const char* Title = "Tunegrab Importer";

// Control identifiers of the importer's window, a Unicode one: its boxes
// take the characters typed into them as UTF-16, so a path of any name.
constexpr int InputEdit = 1008;       // edit box: the input music file's full path
constexpr int FolderEdit = 1014;      // edit box: the destination folder
constexpr int ConvertCommand = 1010;  // returns when the song is complete (or has failed)
constexpr int CloseCommand = 1000;    // ends the importer
// Static text: empty before a conversion and after one that made a song;
// after a failed one, why, in a sentence a player understands.
constexpr int ReasonText = 1016;

// The produced file's name when the input's own name has a character the
// system's code page cannot spell (the song is written through the
// converter, whose file calls take that code page).
constexpr const char* OwnSongName = "tunegrab.asf";

// The produced file's name, in the system's code page, for an input file
// name (no folder) in UTF-8: the name up to its last dot, or all of it when
// it has none, followed by ".asf"; OwnSongName when that cannot be spelt;
// "" when nothing is left before the dot (".wav").
inline std::string ProducedSongName(const std::string& inputFileName) {
  const size_t dot = inputFileName.find_last_of('.');
  const std::string base = dot == std::string::npos ? inputFileName : inputFileName.substr(0, dot);
  if (base.empty()) return std::string();
  std::string spelt;
  return kickora::AnsiFromUtf8(base, spelt) ? spelt + ".asf" : OwnSongName;
}

}  // namespace importer_window
