// Writes the seed corpus of every fuzz target from the project's own
// builders: fuzz_make_seeds <corpus folder>. Each seed is small (the
// fuzzer's mutations do the rest).
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "converter/import_test_support.h"
#include "fuzz_support.h"
#include "importer/core/mp3/mp3_scanner.h"
#include "manager/unit/tag_builders.h"
#include "support/ea_streams.h"

namespace fs = std::filesystem;
using namespace import_test;

namespace {

fs::path root;

void Seed(const std::string& target, const std::string& name, const Bytes& bytes) {
  fs::create_directories(root / target);
  std::ofstream out(root / target / name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes out;
  bool first = true;
  for (const Bytes& part : parts) {
    if (!first) AppendText(out, kPartSeparator);
    Append(out, part);
    first = false;
  }
  return out;
}

Bytes With(std::initializer_list<int> lead, const Bytes& rest) {
  Bytes out = BytesOf(lead);
  Append(out, rest);
  return out;
}

Bytes SelfSizedPt() {
  Bytes file;
  AppendText(file, std::string("PT\0\x02", 4));
  AppendU16(file, 40);
  AppendU16(file, 0);
  PtList list;
  list.channels = 1;
  Bytes fields = PtListBytes(list);
  Append(file, Bytes(fields.begin() + 4, fields.end()));
  file.resize(40, 0);
  Append(file, Bytes(90, 0x42));
  AppendText(file, "KWK");
  return file;
}

Bytes SchlWithSkippedBlocks() {
  Bytes file = SchlHeader(SchlHeaderOptions{});
  AppendText(file, "pQGT");
  AppendU32(file, 12);
  AppendU32(file, 0);
  Append(file, ScdEaBlock(15, Bytes(15, 0x12)));
  AppendText(file, "MADk");
  AppendU32(file, 8);
  Append(file, ScdEaBlock(15, Bytes(15, 0x34)));
  return file;
}

// Archive bodies behind the magic the target adds.
Bytes BigfBody(const std::vector<std::pair<std::string, Bytes>>& entries) {
  size_t directory = 16;
  for (const auto& entry : entries) directory += 8 + entry.first.size() + 1;
  Bytes out;
  AppendU32(out, 0);  // archive size (not read)
  AppendU32BE(out, static_cast<uint32_t>(entries.size()));
  AppendU32BE(out, static_cast<uint32_t>(directory));
  uint32_t at = static_cast<uint32_t>(directory);
  for (const auto& entry : entries) {
    AppendU32BE(out, at);
    AppendU32BE(out, static_cast<uint32_t>(entry.second.size()));
    AppendText(out, entry.first);
    out.push_back(0);
    at += static_cast<uint32_t>(entry.second.size());
  }
  for (const auto& entry : entries) Append(out, entry.second);
  return out;
}

Bytes C0fbBody(const std::string& name, const Bytes& stream) {
  Bytes out{0x00, 0x00, 0x00, 0x01};  // 2 bytes unread, entry count 1 (big-endian)
  const uint32_t at = static_cast<uint32_t>(6 + 6 + name.size() + 1);
  for (int shift : {16, 8, 0}) out.push_back(static_cast<uint8_t>(at >> shift));
  for (int shift : {16, 8, 0}) out.push_back(static_cast<uint8_t>(stream.size() >> shift));
  AppendText(out, name);
  out.push_back(0);
  Append(out, stream);
  return out;
}

// A BIGF archive as the ditty fix reads it: count at 8, entries from 16.
Bytes Viv(const std::vector<uint32_t>& offsets) {
  Bytes out;
  AppendText(out, "BIGF");
  AppendU32(out, 0);
  AppendU32BE(out, static_cast<uint32_t>(offsets.size()));
  AppendU32BE(out, 0);
  int k = 0;
  for (uint32_t offset : offsets) {
    AppendU32BE(out, offset);
    AppendU32BE(out, 100);
    AppendText(out, "d" + std::to_string(k++) + ".asf");
    out.push_back(0);
  }
  return out;
}

Bytes GameImage() {
  Bytes image(700, 0x90);
  const uint8_t ditties[8] = {0xc1, 0xc0, 0x40, 0x3b, 0x94, 0x0b, 0x00, 0x00};
  const uint8_t horns[8] = {0x00, 0xff, 0x7f, 0x47, 0x50, 0x03, 0x00, 0x00};
  std::copy(ditties, ditties + 8, image.begin() + 100);
  std::copy(horns, horns + 8, image.begin() + 300);
  return image;
}

Bytes SongList(std::initializer_list<std::string> names) {
  Bytes out{static_cast<uint8_t>(names.size()), 0};
  for (const std::string& name : names) {
    std::string entry = name.substr(0, 8);
    entry.resize(8, '\0');
    AppendText(out, entry);
  }
  return out;
}

Bytes Truncated(Bytes bytes, size_t size) {
  bytes.resize(std::min(bytes.size(), size));
  return bytes;
}

// A WAV file with any format chunk: coding tag, channels, rate, bits,
// extensible sub-format, then data bytes.
Bytes WavWithFormat(int coding, int channels, int rate, int bits, const Bytes& data, bool extensible = false) {
  Bytes fmt;
  AppendU16(fmt, static_cast<uint32_t>(extensible ? 0xFFFE : coding));
  AppendU16(fmt, static_cast<uint32_t>(channels));
  AppendU32(fmt, static_cast<uint32_t>(rate));
  AppendU32(fmt, static_cast<uint32_t>(rate * channels * bits / 8));
  AppendU16(fmt, static_cast<uint32_t>(channels * bits / 8));
  AppendU16(fmt, static_cast<uint32_t>(bits));
  if (extensible) {
    AppendU16(fmt, 22);
    AppendU16(fmt, static_cast<uint32_t>(bits));
    AppendU32(fmt, channels == 2 ? 3 : 4);
    AppendU16(fmt, static_cast<uint32_t>(coding));
    Append(fmt, BytesOf({0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}));
  }
  Bytes out;
  AppendText(out, "RIFF");
  AppendU32(out, static_cast<uint32_t>(4 + 8 + fmt.size() + 8 + data.size()));
  AppendText(out, "WAVEfmt ");
  AppendU32(out, static_cast<uint32_t>(fmt.size()));
  Append(out, fmt);
  AppendText(out, "data");
  AppendU32(out, static_cast<uint32_t>(data.size()));
  Append(out, data);
  return out;
}

// Small MPEG-2 Layer III frames (8 kb/s, 22,050 Hz, mono): header, filler.
Bytes Mp3Frames(int count, uint8_t filler) {
  const uint8_t header[4] = {0xFF, 0xF3, 0x10, 0xC4};
  tunegrab::Mp3FrameHeader parsed;
  if (!tunegrab::ParseMp3FrameHeader(header, parsed)) return {};
  Bytes out;
  for (int k = 0; k < count; ++k) {
    Append(out, Bytes(header, header + 4));
    out.resize(out.size() + static_cast<size_t>(parsed.bytes) - 4, filler);
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  root = argv[1];
  const Bytes bank = GoodOriginal(2);
  const Bytes wave = GoodWave();

  for (const std::string target : {"stream_header_fuzz", "export_fuzz"}) {
    Seed(target, "mono_schl", MonoSchl());
    Seed(target, "split_stereo_schl", SplitStereoSchl());
    Seed(target, "kwk_tmpl", KwkStream());
    Seed(target, "1snh_eacs", OneSnhStream());
    Seed(target, "self_sized_pt", SelfSizedPt());
    Seed(target, "skipped_blocks", SchlWithSkippedBlocks());
  }
  Seed("stream_header_fuzz", "bank_header", Bytes(bank.begin() + 12 + 8, bank.begin() + 12 + 8 + 64));
  Seed("export_fuzz", "bank", bank);
  Seed("export_fuzz", "bigf", With({}, [] {
         Bytes out;
         AppendText(out, "BIGF");
         Append(out, BigfBody({{"music\\a.asf", MonoSchl()}}));
         return out;
       }()));

  const Bytes header = SchlHeader(SchlHeaderOptions{});
  auto afterHeader = [&](const Bytes& stream) { return Bytes(stream.begin() + header.size(), stream.end()); };
  Seed("block_decode_fuzz", "ea_mono", With({0x00}, afterHeader(MonoSchl())));
  Seed("block_decode_fuzz", "ea_stereo", With({0x10}, [] {
         Bytes out = SccBlock(1);
         Append(out, ScdEaBlock(28, Bytes(30, 0x5C)));
         return out;
       }()));
  Seed("block_decode_fuzz", "ea2_stereo", With({0x30}, ScdEa2Block(Bytes(30, 0x17), Bytes(30, 0x71), 56)));
  const Bytes oneSnh = OneSnhStream();
  Seed("block_decode_fuzz", "ima_eacs", With({0x42}, Bytes(oneSnh.begin() + 40, oneSnh.end())));
  Seed("block_decode_fuzz", "uncomp_old", With({0x13}, [] {
         Bytes out;
         AppendText(out, "SCDl");
         AppendU32(out, 12 + 40);
         AppendU32(out, 10);
         Append(out, Bytes(40, 0x21));
         return out;
       }()));
  Seed("block_decode_fuzz", "uncomp_8", With({0x05}, [] {
         Bytes out;
         AppendText(out, "SCDl");
         AppendU32(out, 8 + 16);
         Append(out, BytesOf({0x00, 0x7F, 0x80, 0xFF}));
         Append(out, Bytes(12, 0x40));
         return out;
       }()));
  Seed("block_decode_fuzz", "skipped", With({0x01}, afterHeader(SchlWithSkippedBlocks())));
  Seed("block_decode_fuzz", "payload_ea", With({0x80}, Bytes(90, 0x37)));
  Seed("block_decode_fuzz", "payload_ima", With({0x92}, Bytes(60, 0x78)));

  Seed("wave_input_fuzz", "mono", Truncated(wave, 200));
  Seed("wave_input_fuzz", "list_chunk", [&] {
    Bytes out(wave.begin(), wave.begin() + 36);
    AppendText(out, "LIST");
    AppendU32(out, 4);
    AppendText(out, "INFO");
    Append(out, Bytes(wave.begin() + 36, wave.begin() + 120));
    return out;
  }());
  Seed("wave_input_fuzz", "8_bit", Truncated(WaveFile(1, 11025, Pcm(20, 3), 8), 100));

  Seed("bank_fuzz", "v2_plain", With({0, 0}, bank));
  Seed("bank_fuzz", "v2_forced", With({1, 1}, bank));
  Seed("bank_fuzz", "v2_cross", With({6, 0}, Bank({BankHeader({BankList(1, 22050, 100, kBankDataStart),
                                                              BankList(1, 22050, 100, kBankDataStart + 128)}),
                                                   Bytes(),
                                                   BankHeader({BankList(2, 44100, 60, kBankDataStart + 128)})},
                                                  Bytes(256, 0x6B))));

  Seed("big_fuzz", "bigf_two", With({0x01}, BigfBody({{"music\\a.asf", MonoSchl()}, {"b", SelfSizedPt()}})));
  Seed("big_fuzz", "bigf_forced", With({0x03}, BigfBody({{"x.asf", KwkStream()}})));
  Seed("big_fuzz", "c0fb", With({0x00}, C0fbBody("crowd.asf", MonoSchl())));

  const Bytes first = MonoSchl(), second = SplitStereoSchl();
  Bytes pack = first;
  Append(pack, second);
  Bytes index;
  AppendU32(index, 0);
  AppendU32(index, static_cast<uint32_t>(first.size()));
  Seed("unpack_fuzz", "two_entries", Join({index, pack}));
  Seed("unpack_fuzz", "odd_index", Join({BytesOf({0, 0, 0, 0, 9, 0}), BytesOf({'S', 'C', 1})}));

  Seed("ditty_fix_fuzz", "both_tables", Join({GameImage(), Viv({100, 200, 300}), Viv({40, 50})}));
  Seed("ditty_fix_fuzz", "already_fixed", Join({[] {
                                                  Bytes image = GameImage();
                                                  image[104] = 100;
                                                  image[105] = image[106] = image[107] = 0;
                                                  return image;
                                                }(),
                                                Viv({100}), Bytes()}));

  Seed("import_original_fuzz", "schl", With({0}, GoodOriginal(0)));
  Seed("import_original_fuzz", "bare_pt_in_place", With({0x80}, GoodOriginal(1)));
  Seed("import_original_fuzz", "bank_sample_1", With({2}, bank));
  Seed("import_original_fuzz", "bank_sample_2_in_place", With({0x83}, bank));

  Seed("import_wave_fuzz", "into_schl", With({0}, Truncated(wave, 600)));
  Seed("import_wave_fuzz", "into_bare_pt", With({1}, Truncated(wave, 400)));
  Seed("import_wave_fuzz", "into_bank_in_place", With({0x82}, Truncated(wave, 400)));
  Seed("import_wave_fuzz", "stereo_44100", With({0}, WaveFile(2, 44100, Music(100, 2, 44100))));

  Seed("song_list_fuzz", "two", SongList({"anthem", "goal"}));
  Seed("song_list_fuzz", "eight_and_empty", SongList({"12345678", "", "ANTHEM", "anthem"}));
  Seed("song_list_fuzz", "short", BytesOf({9, 0, 'c', 'r', 'o'}));

  for (const tag_builders::TaggedFile& file : tag_builders::TaggedFiles())
    Seed("song_title_fuzz", file.name, Bytes(file.bytes.begin(), file.bytes.end()));

  Seed("importer_wav_fuzz", "pcm16_mono", Truncated(wave, 300));
  Seed("importer_wav_fuzz", "pcm8_stereo", WavWithFormat(1, 2, 8000, 8, Bytes(64, 0x90)));
  Seed("importer_wav_fuzz", "float32_stereo", [] {
    Bytes data;
    for (uint32_t bits : {0x3F000000u, 0xBF000000u, 0x7F800000u, 0x7FC00000u, 0x40000000u, 0x00000000u})
      AppendU32(data, bits);
    return WavWithFormat(3, 2, 44100, 32, data);
  }());
  Seed("importer_wav_fuzz", "extensible_24", WavWithFormat(1, 2, 48000, 24, Bytes(60, 0x7F), true));
  Seed("importer_wav_fuzz", "float64_mono", WavWithFormat(3, 1, 22050, 64, Bytes(32, 0x3F)));

  Seed("mp3_scan_fuzz", "plain_frames", Mp3Frames(6, 0x55));
  Seed("mp3_scan_fuzz", "id3_junk_frames", [&] {
    Bytes out = BytesOf({'I', 'D', '3', 3, 0, 0, 0, 0, 0, 20});
    out.resize(out.size() + 20, 0);
    Append(out, BytesOf({'j', 'u', 'n', 'k', 0xFF, 0x00}));
    Append(out, Mp3Frames(4, 0x00));
    Bytes tag(128, ' ');
    std::copy_n("TAG", 3, tag.begin());
    Append(out, tag);
    return out;
  }());
  Seed("mp3_scan_fuzz", "info_frame", [&] {
    // MPEG-1 Layer III 64 kb/s 32,000 Hz mono frames (288 bytes): the first
    // carries "Info" and a LAME tag with delay 576 and padding 100.
    Bytes frame = BytesOf({0xFF, 0xFB, 0x58, 0xC4});
    frame.resize(288, 0);
    Bytes first = frame;
    std::copy_n("Info", 4, first.begin() + 4 + 17);
    first[4 + 17 + 7] = 0x0F;
    std::copy_n("LAME3.100", 9, first.begin() + 4 + 17 + 120);
    first[4 + 17 + 120 + 21] = 576 >> 4;
    first[4 + 17 + 120 + 22] = static_cast<uint8_t>((576 & 15) << 4);
    first[4 + 17 + 120 + 23] = 100;
    Bytes out = first;
    for (int k = 0; k < 4; ++k) Append(out, frame);
    return out;
  }());
  return 0;
}
