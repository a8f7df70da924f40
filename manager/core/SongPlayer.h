// Listening to a song of the list without leaving the manager: the song is
// converted by tonepak into a private folder exactly as the export does,
// and the WAV file it leaves there is played by the platform's audio
// output without blocking the window. One song plays at a time; its folder
// goes as soon as it stops, whatever stopped it.
#pragma once

#include <string>

#include "manager/core/Platform.h"

enum class AudioStart { Started, NoDevice, Failed };

// Plays one WAV file at a time, asynchronously. The platform tells the
// player through SongPlayer::PlaybackEnded when a song has played to its end.
class IAudioOutput {
 public:
  virtual ~IAudioOutput() = default;
  // Started once the sound device accepted the song's first sound.
  virtual AudioStart Play(const std::string& wavPath) = 0;
  // Silences the device at once and lets go of the file; nothing when idle.
  virtual void Stop() = 0;
};

// The window's own text that names the song playing.
class IPlayingLabel {
 public:
  virtual ~IPlayingLabel() = default;
  virtual void SetPlayingText(const std::string& text) = 0;
};

constexpr const char* NoSoundDeviceMessage =
    "The song cannot be played: Windows reports no sound output device. Connect speakers or "
    "headphones, or turn the sound device on, and try again.";
constexpr const char* SoundDeviceFailedMessage =
    "The song cannot be played: the sound device did not accept it. It may be in use by another "
    "program.";

// "Playing: anthem.str"; "" when nothing plays.
std::string PlayingText(const std::string& song);

class SongPlayer {
 public:
  SongPlayer(Platform& platform, IAudioOutput& audio, IPlayingLabel& label)
      : platform_(platform), audio_(audio), label_(label) {}
  SongPlayer(const SongPlayer&) = delete;
  SongPlayer& operator=(const SongPlayer&) = delete;

  // Stops what plays and plays the song (a file name of the music
  // folder). False when it does not play; the player has been told why.
  bool Play(const std::string& song);
  // Enter: the song that plays stops, any other song plays.
  void Toggle(const std::string& song);
  void Stop();
  // The platform's word that the song has played to its end.
  void PlaybackEnded();
  // The program ends: nothing plays any more and nothing is left behind.
  void Close();

  bool Playing() const { return !playing_.empty(); }
  // The song that plays, or is being converted to play; "" when none.
  const std::string& Song() const { return playing_; }
  bool Converting() const { return converting_; }

 private:
  enum class ConversionResult { Converted, NoConverter, Failed };
  // Runs the converter on the song in a new private folder (folder_).
  ConversionResult Convert(const std::string& song);
  void ReleaseFolder();

  Platform& platform_;
  IAudioOutput& audio_;
  IPlayingLabel& label_;
  std::string playing_;
  std::string folder_;
  // The song asked for while the converter ran for another one.
  std::string next_;
  bool converting_ = false;
  // A stop or the end of the program while the converter runs: the song
  // is not played when the converter is done.
  bool cancelled_ = false;
  bool closed_ = false;
};
