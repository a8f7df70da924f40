#include "ea_streams.h"

Bytes PtField(int type, uint32_t value, int length) {
  Bytes out{static_cast<uint8_t>(type), static_cast<uint8_t>(length)};
  for (int i = length - 1; i >= 0; --i) out.push_back(i < 4 ? static_cast<uint8_t>(value >> (8 * i)) : 0);
  return out;
}

Bytes SchlHeader(const SchlHeaderOptions& options) {
  Bytes list;
  AppendText(list, std::string("PT\0\0", 4));
  if (options.eaAdpcm2) Append(list, BytesOf({0x0B, 0x01, 0x00}));
  list.push_back(0xFD);
  if (options.compressionField && options.eaAdpcm2) Append(list, PtField(0x80, 1, 1));
  Append(list, PtField(0x82, static_cast<uint32_t>(options.channels), 1));
  if (options.compressionField && !options.eaAdpcm2) Append(list, PtField(0x83, 7, 1));
  Append(list, PtField(0x84, static_cast<uint32_t>(options.frequency), 2));
  Append(list, PtField(0x85, options.length, 4));
  Append(list, BytesOf({0x8A, 0x00, 0xFF}));
  while (list.size() % 4) list.push_back(0);
  Bytes out;
  AppendText(out, "SCHl");
  AppendU32(out, static_cast<uint32_t>(list.size() + 8));
  Append(out, list);
  return out;
}

Bytes SccBlock(uint32_t blocks) {
  Bytes out;
  AppendText(out, "SCCl");
  AppendU32(out, 12);
  AppendU32(out, blocks);
  return out;
}

Bytes SceBlock() {
  Bytes out;
  AppendText(out, "SCEl");
  AppendU32(out, 8);
  return out;
}

Bytes ScdEaBlock(uint32_t count, const Bytes& data, int16_t curL, int16_t prevL, int16_t curR, int16_t prevR) {
  Bytes out;
  AppendText(out, "SCDl");
  AppendU32(out, static_cast<uint32_t>(20 + data.size()));
  AppendU32(out, count);
  for (int16_t v : {curL, prevL, curR, prevR}) AppendU16(out, static_cast<uint16_t>(v));
  Append(out, data);
  return out;
}

Bytes ScdEa2Block(const Bytes& left, const Bytes& right, uint32_t sampleCount) {
  Bytes out;
  AppendText(out, "SCDl");
  AppendU32(out, static_cast<uint32_t>(24 + left.size() + (right.empty() ? 0 : 4 + right.size())));
  AppendU32(out, sampleCount);
  AppendU32(out, 0);
  AppendU32(out, static_cast<uint32_t>(left.size() + 4));
  AppendU16(out, 0);
  AppendU16(out, 0);
  Append(out, left);
  if (!right.empty()) {
    AppendU16(out, 0);
    AppendU16(out, 0);
    Append(out, right);
  }
  return out;
}
