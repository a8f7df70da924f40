#include "common/base/random_access.h"

#include <algorithm>
#include <cstring>

namespace kickora {

size_t InMemorySource::ReadAt(uint64_t offset, uint8_t* out, size_t count) {
  if (offset >= bytes_.size()) return 0;
  size_t n = static_cast<size_t>(std::min<uint64_t>(count, bytes_.size() - offset));
  std::memcpy(out, bytes_.data() + offset, n);
  return n;
}

}  // namespace kickora
