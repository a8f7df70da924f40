#include "bank_builder.h"

namespace bank_builder {

Bytes SampleHeader(const std::vector<SampleList>& lists) {
  Bytes out;
  AppendText(out, std::string("PT\0\0", 4));
  for (size_t i = 0; i < lists.size(); ++i) {
    const SampleList& list = lists[i];
    if (list.eaAdpcm2) Append(out, BytesOf({0x0B, 0x01, 0x00}));
    out.push_back(0xFD);
    Append(out, PtField(0x82, static_cast<uint32_t>(list.channels), 1));
    Append(out, PtField(0x84, static_cast<uint32_t>(list.frequency), 2));
    Append(out, PtField(0x85, list.length, 4));
    if (list.dataOffset) Append(out, PtField(0x88, *list.dataOffset, 4));
    Append(out, BytesOf({0x8A, 0x00, i + 1 < lists.size() ? 0xFE : 0xFF}));
  }
  return out;
}

Bank BuildBank(int version, const std::vector<std::optional<BankSample>>& slots) {
  const size_t tableStart = version == 4 ? 20 : 12;
  Bank bank;
  bank.headerPositions.assign(slots.size(), 0);
  bank.dataOffsets.assign(slots.size(), 0);

  // Header sizes do not depend on the offset values, so one pass places them.
  size_t position = tableStart + 4 * slots.size();
  for (size_t i = 0; i < slots.size(); ++i) {
    if (!slots[i]) continue;
    bank.headerPositions[i] = static_cast<uint32_t>(position);
    std::vector<SampleList> lists = slots[i]->lists;
    if (!lists[0].dataOffset) lists[0].dataOffset = 0;
    position += SampleHeader(lists).size();
  }
  for (size_t i = 0; i < slots.size(); ++i) {
    if (!slots[i]) continue;
    bank.dataOffsets[i] = static_cast<uint32_t>(position);
    position += slots[i]->data.size();
  }

  AppendText(bank.bytes, "BNKl");
  AppendU16(bank.bytes, static_cast<uint32_t>(version));
  AppendU16(bank.bytes, static_cast<uint32_t>(slots.size()));
  bank.bytes.resize(tableStart, 0);
  for (size_t i = 0; i < slots.size(); ++i) {
    const uint32_t entryPosition = static_cast<uint32_t>(tableStart + 4 * i);
    AppendU32(bank.bytes, slots[i] ? bank.headerPositions[i] - entryPosition : 0);
  }
  for (size_t i = 0; i < slots.size(); ++i) {
    if (!slots[i]) continue;
    std::vector<SampleList> lists = slots[i]->lists;
    if (!lists[0].dataOffset) lists[0].dataOffset = bank.dataOffsets[i];
    Append(bank.bytes, SampleHeader(lists));
  }
  for (const auto& slot : slots) {
    if (slot) Append(bank.bytes, slot->data);
  }
  return bank;
}

Bytes Pattern(size_t size, int seed) {
  Bytes out(size);
  for (size_t i = 0; i < size; ++i) out[i] = static_cast<uint8_t>(((seed * 37 + i * 11) & 0x37) | 0x08);
  return out;
}

BankSample Sample(uint32_t length, Bytes data, int channels) {
  BankSample sample;
  sample.lists.push_back(SampleList{channels, 22050, length, std::nullopt, false});
  sample.data = std::move(data);
  return sample;
}

}  // namespace bank_builder
