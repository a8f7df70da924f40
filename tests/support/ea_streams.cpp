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

Bytes MonoSchl() {
  SchlHeaderOptions options;
  options.length = 56;
  Bytes file = SchlHeader(options);
  Append(file, SccBlock(2));
  Bytes frame{0x21};
  frame.resize(15, 0x3C);
  Append(file, ScdEaBlock(15, frame, 100, 90));
  Append(file, ScdEaBlock(30, Bytes(30, 0x99)));
  Append(file, SceBlock());
  return file;
}

Bytes SplitStereoSchl() {
  SchlHeaderOptions options;
  options.channels = 2;
  options.eaAdpcm2 = true;
  Bytes file = SchlHeader(options);
  Append(file, ScdEa2Block(Bytes(30, 0x17), Bytes(30, 0x71), 56));
  return file;
}

Bytes KwkStream() {
  Bytes file;
  AppendText(file, "KWK\x01TMpl");
  Bytes record(32, 0);
  record[2] = 2;
  record[8] = 16;
  Append(file, record);
  Append(file, Bytes(16, 0x5A));
  return file;
}

Bytes OneSnhStream() {
  Bytes file;
  AppendText(file, "1SNh");
  AppendU32(file, 40);
  AppendText(file, "EACS");
  Bytes record(28, 0);
  record[5] = 1;
  Append(file, record);
  AppendText(file, "1SNd");
  AppendU32(file, 32);
  AppendU32(file, 4);
  Append(file, Bytes(16, 0));
  Append(file, Bytes(4, 0x88));
  return file;
}
