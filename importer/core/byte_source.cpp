#include "importer/core/byte_source.h"

#include <algorithm>
#include <cstring>

#include "common/base/text_encoding.h"

namespace tunegrab {

namespace {

bool SeekTo(std::FILE* file, uint64_t offset) {
#if defined(_WIN32)
  return _fseeki64(file, static_cast<long long>(offset), SEEK_SET) == 0;
#else
  return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

}  // namespace

FileSource::~FileSource() {
  if (file_) std::fclose(file_);
}

bool FileSource::Open(const char* path) {
  file_ = kickora::OpenUtf8(path, "rb");
  if (!file_) return false;
  std::setvbuf(file_, nullptr, _IOFBF, 1 << 16);
  if (std::fseek(file_, 0, SEEK_END) != 0) return false;
#if defined(_WIN32)
  long long end = _ftelli64(file_);
#else
  long long end = ftello(file_);
#endif
  if (end < 0) return false;
  size_ = static_cast<uint64_t>(end);
  position_ = UINT64_MAX;
  return true;
}

size_t FileSource::ReadAt(uint64_t offset, uint8_t* out, size_t count) {
  if (!file_ || offset >= size_) return 0;
  if (offset != position_ && !SeekTo(file_, offset)) return 0;
  size_t n = std::fread(out, 1, count, file_);
  position_ = offset + n;
  if (n < count) position_ = UINT64_MAX;
  return n;
}

}  // namespace tunegrab
