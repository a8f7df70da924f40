#include "common/base/random_access.h"

#include <algorithm>
#include <cstring>

#include "common/base/text_encoding.h"

namespace kickora {

namespace {

bool SeekTo(std::FILE* file, uint64_t offset) {
#if defined(_WIN32)
  return _fseeki64(file, static_cast<long long>(offset), SEEK_SET) == 0;
#else
  return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

}  // namespace

size_t InMemorySource::ReadAt(uint64_t offset, uint8_t* out, size_t count) {
  // An empty read may come with no buffer at all (an empty vector's data()).
  if (count == 0 || offset >= bytes_.size()) return 0;
  size_t n = static_cast<size_t>(std::min<uint64_t>(count, bytes_.size() - offset));
  std::memcpy(out, bytes_.data() + offset, n);
  return n;
}

FileSource::~FileSource() {
  if (file_) std::fclose(file_);
}

bool FileSource::Open(const char* path) {
  file_ = OpenUtf8(path, "rb");
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
  if (!file_ || count == 0 || offset >= size_) return 0;
  if (offset != position_ && !SeekTo(file_, offset)) return 0;
  size_t n = std::fread(out, 1, count, file_);
  position_ = offset + n;
  if (n < count) position_ = UINT64_MAX;
  return n;
}

}  // namespace kickora
