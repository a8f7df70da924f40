#include "test_files.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <iterator>

#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

#include "converter/console/command_line.h"

namespace fs = std::filesystem;

ScopedWorkDir::ScopedWorkDir() : previous_(fs::current_path()) {
  static std::atomic<int> counter{0};
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = info ? std::string(info->test_suite_name()) + "_" + info->name() : "work";
  for (char& c : name)
    if (c == '/') c = '_';
  // The process id keeps concurrent runs of the same test apart.
  path_ = fs::temp_directory_path() /
          ("kickora_" + name + "_" + std::to_string(getpid()) + "_" + std::to_string(counter++));
  fs::remove_all(path_);
  fs::create_directories(path_);
  fs::current_path(path_);
}

ScopedWorkDir::~ScopedWorkDir() {
  std::error_code ignored;
  fs::current_path(previous_, ignored);
  // Read-only files left by tests must not stop the clean-up.
  for (auto& entry : fs::recursive_directory_iterator(path_, ignored))
    fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(path_, ignored);
}

void WriteFileBytes(const fs::path& path, const Bytes& bytes) {
  if (path.has_parent_path()) fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadFileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool FileExistsAt(const fs::path& path) { return fs::exists(path); }

void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }
void AppendText(Bytes& out, const std::string& text) { out.insert(out.end(), text.begin(), text.end()); }
void AppendU16(Bytes& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}
void AppendU32(Bytes& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}
void AppendU32BE(Bytes& out, uint32_t value) {
  for (int i = 3; i >= 0; --i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}
Bytes BytesOf(std::initializer_list<int> values) {
  Bytes out;
  for (int v : values) out.push_back(static_cast<uint8_t>(v));
  return out;
}

uint32_t U32At(const Bytes& bytes, size_t offset) {
  return static_cast<uint32_t>(bytes.at(offset)) | (static_cast<uint32_t>(bytes.at(offset + 1)) << 8) |
         (static_cast<uint32_t>(bytes.at(offset + 2)) << 16) | (static_cast<uint32_t>(bytes.at(offset + 3)) << 24);
}
uint16_t U16At(const Bytes& bytes, size_t offset) {
  return static_cast<uint16_t>(bytes.at(offset) | (bytes.at(offset + 1) << 8));
}
std::vector<int16_t> SamplesOf(const Bytes& bytes, size_t offset) {
  std::vector<int16_t> samples;
  for (size_t i = offset; i + 1 < bytes.size(); i += 2) samples.push_back(static_cast<int16_t>(U16At(bytes, i)));
  return samples;
}

int RunCommandLine(const std::vector<std::string>& arguments, std::string* output) {
  const tonepak::ConsoleRun run = tonepak::RunConsole(arguments);
  if (output) *output = run.result.Text();
  return run.exitStatus;
}
