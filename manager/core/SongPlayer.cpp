#include "manager/core/SongPlayer.h"

#include "manager/core/FrmExport.h"

std::string PlayingText(const std::string& song) {
  return song.empty() ? std::string() : "Playing: " + song;
}

bool SongPlayer::Play(const std::string& song) {
  if (closed_ || song.empty()) return false;
  if (converting_) {
    // The converter for another request is still running (its wait keeps
    // the window answering): that song is dropped and this one follows.
    cancelled_ = true;
    next_ = song;
    return false;
  }
  Stop();
  std::string current = song;
  for (;;) {
    playing_ = current;
    cancelled_ = false;
    next_.clear();
    converting_ = true;
    ConversionResult converted = Convert(current);
    converting_ = false;
    if (cancelled_ || closed_) {
      ReleaseFolder();
      playing_.clear();
      if (closed_ || next_.empty()) return false;
      current = next_;
      continue;
    }
    if (converted != ConversionResult::Converted) {
      ReleaseFolder();
      playing_.clear();
      if (converted == ConversionResult::NoConverter) {
        platform_.messages.Show(MissingConverterMessage(platform_.programFolder),
                                MessageIcon::Critical);
      } else {
        platform_.messages.Show(ExportFailedMessage, MessageIcon::Critical);
      }
      return false;
    }
    AudioStart started = audio_.Play(AddBackslash(folder_) + ConverterOutputName);
    if (started != AudioStart::Started) {
      audio_.Stop();
      ReleaseFolder();
      playing_.clear();
      platform_.messages.Show(
          started == AudioStart::NoDevice ? NoSoundDeviceMessage : SoundDeviceFailedMessage,
          MessageIcon::Critical);
      return false;
    }
    label_.SetPlayingText(PlayingText(playing_));
    return true;
  }
}

SongPlayer::ConversionResult SongPlayer::Convert(const std::string& song) {
  if (!FileExists(platform_.fs, ProgramFile(platform_.programFolder, ConverterFileName)))
    return ConversionResult::NoConverter;
  folder_ = platform_.scratch.Create();
  if (folder_.empty()) return ConversionResult::Failed;
  ProcessOutcome run =
      ShellStop(platform_.processes, ExportCommandLine(platform_.programFolder, GameFolder, song),
                SW_HIDE_STATE, folder_);
  bool converted = run.started && run.exitCode == 0 &&
                   FileExists(platform_.fs, AddBackslash(folder_) + ConverterOutputName);
  return converted ? ConversionResult::Converted : ConversionResult::Failed;
}

void SongPlayer::ReleaseFolder() {
  if (folder_.empty()) return;
  platform_.scratch.Remove(folder_);
  folder_.clear();
}

void SongPlayer::Toggle(const std::string& song) {
  if (!playing_.empty() && song == playing_) {
    Stop();
  } else {
    Play(song);
  }
}

void SongPlayer::Stop() {
  if (converting_) {
    // The converter's folder goes once it has ended, in Play.
    cancelled_ = true;
    next_.clear();
    return;
  }
  if (playing_.empty() && folder_.empty()) return;
  audio_.Stop();
  ReleaseFolder();
  bool wasPlaying = !playing_.empty();
  playing_.clear();
  if (wasPlaying && !closed_) label_.SetPlayingText("");
}

void SongPlayer::PlaybackEnded() {
  if (converting_ || playing_.empty()) return;
  Stop();
}

void SongPlayer::Close() {
  if (closed_) return;
  closed_ = true;
  Stop();
}
