#include "importer/core/mp4/mp4_boxes.h"

namespace tunegrab {

bool ReadBoxAt(ByteSource& source, uint64_t at, uint64_t end, Mp4Box& box) {
  end = end < source.Size() ? end : source.Size();
  if (at > end || end - at < 8) return false;
  uint8_t header[16];
  if (!source.ReadExactAt(at, header, 8)) return false;
  uint64_t size = U32BE(header);
  uint64_t headerBytes = 8;
  if (size == 1) {
    if (end - at < 16 || !source.ReadExactAt(at + 8, header + 8, 8)) return false;
    size = U64BE(header + 8);
    headerBytes = 16;
  } else if (size == 0) {
    size = end - at;
  }
  if (size < headerBytes || size > end - at) return false;
  box.type = U32BE(header + 4);
  box.payload = at + headerBytes;
  box.size = size - headerBytes;
  return true;
}

bool FindBox(ByteSource& source, uint64_t begin, uint64_t end, uint32_t type, Mp4Box& found) {
  Mp4Box box;
  for (uint64_t at = begin; ReadBoxAt(source, at, end, box); at = box.End()) {
    if (box.type == type) {
      found = box;
      return true;
    }
  }
  return false;
}

bool ReadPayload(ByteSource& source, const Mp4Box& box, uint64_t skip, size_t maxBytes, std::vector<uint8_t>& out) {
  if (skip > box.size || box.size - skip > maxBytes) return false;
  out.resize(static_cast<size_t>(box.size - skip));
  return source.ReadExactAt(box.payload + skip, out.data(), out.size());
}

}  // namespace tunegrab
