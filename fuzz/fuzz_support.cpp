#include "fuzz_support.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "converter/import_test_support.h"

namespace fs = std::filesystem;

namespace {

struct Folders {
  fs::path home;
  fs::path scratch;
};

void RemoveScratch();

Folders& TheFolders() {
  static Folders folders = [] {
    Folders made;
    made.home = fs::current_path();
    std::string pattern = (fs::temp_directory_path() / "kickora_fuzz_XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
      std::perror("mkdtemp");
      std::abort();
    }
    made.scratch = pattern;
    if (!std::getenv("KICKORA_FUZZ_VERBOSE")) {
      int null = open("/dev/null", O_WRONLY);
      dup2(null, 1);
      close(null);
    }
    std::atexit(RemoveScratch);
    return made;
  }();
  return folders;
}

void RemoveScratch() {
  std::error_code ignored;
  fs::current_path(TheFolders().home, ignored);
  fs::remove_all(TheFolders().scratch, ignored);
}

}  // namespace

ScratchRun::ScratchRun() {
  Folders& folders = TheFolders();
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(folders.scratch, ignored)) {
    fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(entry.path(), ignored);
  }
  fs::current_path(folders.scratch);
}

ScratchRun::~ScratchRun() { fs::current_path(TheFolders().home); }

std::vector<FuzzBytes> SplitInput(const uint8_t* data, size_t size, size_t parts) {
  std::vector<FuzzBytes> pieces(parts);
  const size_t separatorBytes = sizeof kPartSeparator - 1;
  const uint8_t* separator = reinterpret_cast<const uint8_t*>(kPartSeparator);
  const uint8_t* end = data + size;
  const uint8_t* from = data;
  for (size_t k = 0; k < parts; ++k) {
    const uint8_t* cut = k + 1 < parts ? std::search(from, end, separator, separator + separatorBytes) : end;
    pieces[k].assign(from, cut);
    from = cut == end ? end : cut + separatorBytes;
  }
  return pieces;
}

void WriteScratchFile(const std::string& name, const FuzzBytes& bytes) {
  fs::path path = TheFolders().scratch / name;
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

FuzzBytes ReadScratchFile(const std::string& name) {
  std::ifstream in(TheFolders().scratch / name, std::ios::binary);
  return FuzzBytes(std::istreambuf_iterator<char>(in), {});
}

uint64_t ScratchBytes() {
  uint64_t total = 0;
  std::error_code ignored;
  for (const auto& entry : fs::recursive_directory_iterator(TheFolders().scratch, ignored)) {
    if (entry.is_regular_file(ignored)) total += entry.file_size(ignored);
  }
  return total;
}

std::vector<std::string> ScratchFilesEndingIn(const std::string& suffix) {
  std::vector<std::string> names;
  std::error_code ignored;
  for (const auto& entry : fs::recursive_directory_iterator(TheFolders().scratch, ignored)) {
    std::string name = entry.path().filename().string();
    if (name.size() >= suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
      names.push_back(fs::relative(entry.path(), TheFolders().scratch).string());
  }
  return names;
}

int StatusOf(const tonepak::Result& result) { return result.ok() ? 0 : 1; }

FILE* MemoryFile(const FuzzBytes& bytes) {
  // fmemopen refuses an empty buffer on some C libraries: an empty input is
  // an empty file.
  if (bytes.empty()) return std::fopen("/dev/null", "rb");
  return fmemopen(const_cast<uint8_t*>(bytes.data()), bytes.size(), "rb");
}

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

uint64_t OutputBudget(size_t inputBytes) { return 64 * static_cast<uint64_t>(inputBytes) + (1u << 20); }

FuzzBytes GoodWave() {
  return import_test::WaveFile(1, 22050, import_test::Music(600, 1, 22050));
}

FuzzBytes GoodOriginal(int kind) {
  import_test::PtList list;
  list.channels = 1;
  list.length = 600;
  if (kind == 0) return import_test::SchlOriginal(list, {300, 300, 300});
  if (kind == 1) return import_test::BarePtOriginal(list);
  const uint32_t data = import_test::kBankDataStart;
  return import_test::Bank({import_test::BankHeader({import_test::BankList(1, 22050, 300, data)}),
                            import_test::BankHeader({import_test::BankList(1, 22050, 300, data + 256)})},
                           FuzzBytes(512, 0x11));
}
