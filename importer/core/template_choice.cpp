#include "importer/core/template_choice.h"

#include <system_error>

#include "common/base/files.h"
#include "common/base/paths.h"

#include "importer/core/signal/loudness.h"
#include "importer/core/song_writer.h"

namespace tunegrab {

namespace {

constexpr uint64_t kMaxTemplateBytes = 64u << 20;

bool ReadLayout(const std::string& path, SongTemplate& layout) {
  std::vector<uint8_t> bytes;
  return kickora::ReadWholeFile(path, kMaxTemplateBytes, bytes) && ReadSongTemplate(bytes, layout);
}

// Decodes the song with the converter and measures it as its samples pass;
// false when the converter cannot decode it.
bool Measure(const std::string& path, ChosenTemplate& chosen) {
  tonepak::DecodedStream decoded;
  if (!DecodeWithConverter(path, decoded).ok || decoded.samples.empty()) return false;
  LoudnessMeter meter(decoded.rate, decoded.channels);
  meter.Push(decoded.samples.data(), decoded.samples.size() / static_cast<size_t>(decoded.channels));
  chosen.measured = meter.Finish(chosen.lufs);
  return true;
}

}  // namespace

TemplateChooser::TemplateChooser(const std::string& folder)
    : folder_(folder), candidates_(TemplateCandidates(kickora::FolderFiles(folder))) {
  for (; next_ < candidates_.size(); ++next_) {
    SongTemplate layout;
    if (!ReadLayout(kickora::JoinPath(folder_, candidates_[next_]), layout)) continue;
    likely_.layout = layout;
    likely_.name = candidates_[next_++];
    const std::string path = kickora::JoinPath(folder_, likely_.name);
    try {
      measuring_ = std::thread([this, path] {
        try {
          likelyDecoded_ = Measure(path, likely_);
        } catch (...) {  // out of memory: the next candidates are tried
          likelyDecoded_ = false;
        }
      });
    } catch (const std::system_error&) {
      likelyDecoded_ = Measure(path, likely_);  // no thread to be had: measured here
    }
    return;
  }
}

TemplateChooser::~TemplateChooser() {
  if (measuring_.joinable()) measuring_.join();
}

ChosenTemplate TemplateChooser::Finish() {
  if (measuring_.joinable()) measuring_.join();
  if (likely_.name.empty() || likelyDecoded_) return likely_;
  for (; next_ < candidates_.size(); ++next_) {
    ChosenTemplate chosen;
    chosen.name = candidates_[next_];
    const std::string path = kickora::JoinPath(folder_, chosen.name);
    if (ReadLayout(path, chosen.layout) && Measure(path, chosen)) return chosen;
  }
  return ChosenTemplate{};
}

}  // namespace tunegrab
