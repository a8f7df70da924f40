// Which of the game's songs a new song copies, and how loud that song is.
// The layout is known at once from the songs' headers; the loudness needs
// the whole template decoded, so it is measured on a thread of its own
// while the input is read, and waited for only when the gain is chosen.
#pragma once

#include <string>
#include <thread>
#include <vector>

#include "importer/core/song_template.h"

namespace tunegrab {

// The first song of the folder that reads as an SCHl stream and that the
// converter decodes, with its loudness when it has any; the built-in
// layout (and no name) when no song qualifies.
struct ChosenTemplate {
  SongTemplate layout = BuiltInTemplate();
  std::string name;
  bool measured = false;
  double lufs = 0;
};

// One after another, as the conversion needs it; nothing global.
class TemplateChooser {
 public:
  // Reads the candidates' headers and starts measuring the first that reads.
  explicit TemplateChooser(const std::string& folder);
  ~TemplateChooser();

  // The layout the new song is most likely made at: the first candidate
  // that reads. Finish() says which one it is for certain.
  const SongTemplate& Likely() const { return likely_.layout; }

  // Waits for the measurement. When the likely candidate does not decode,
  // the rest of the list is tried in turn, so the result may have another
  // layout than Likely().
  ChosenTemplate Finish();

  TemplateChooser(const TemplateChooser&) = delete;
  TemplateChooser& operator=(const TemplateChooser&) = delete;

 private:
  std::string folder_;
  std::vector<std::string> candidates_;
  size_t next_ = 0;  // the candidate after the likely one
  ChosenTemplate likely_;
  bool likelyDecoded_ = false;
  std::thread measuring_;
};

}  // namespace tunegrab
