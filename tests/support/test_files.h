// Helpers for tests that work with files: a fresh working directory per
// test, whole-file reads and writes, and little-endian byte builders.
#pragma once

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

// Creates a fresh directory, makes it the current directory, and on
// destruction goes back and removes it.
class ScopedWorkDir {
 public:
  ScopedWorkDir();
  ~ScopedWorkDir();
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
};

void WriteFileBytes(const std::filesystem::path& path, const Bytes& bytes);
Bytes ReadFileBytes(const std::filesystem::path& path);
bool FileExistsAt(const std::filesystem::path& path);

// Appending builders.
void Append(Bytes& out, const Bytes& more);
void AppendText(Bytes& out, const std::string& text);
void AppendU16(Bytes& out, uint32_t value);
void AppendU32(Bytes& out, uint32_t value);
void AppendU32BE(Bytes& out, uint32_t value);
Bytes BytesOf(std::initializer_list<int> values);

uint32_t U32At(const Bytes& bytes, size_t offset);
uint16_t U16At(const Bytes& bytes, size_t offset);
// 16-bit samples of a PCM byte range.
std::vector<int16_t> SamplesOf(const Bytes& bytes, size_t offset = 0);

// Runs the console program's command line in-process (the arguments behind
// the program name); returns its exit status and stores what it printed.
int RunCommandLine(const std::vector<std::string>& arguments, std::string* output);
