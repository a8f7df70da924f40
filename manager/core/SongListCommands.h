// The song list's keys and context menu: Enter plays or stops the selected
// song, Esc stops, Del removes, and the menu offers the same with the
// export and the music folder. Space keeps ticking, as the list does.
#pragma once

#include <string>

#include "manager/core/RemoveSong.h"
#include "manager/core/SongPlayer.h"
#include "manager/core/frmMain.h"

enum class SongMenuCommand { Play, Stop, Export, Delete, OpenFolder };

// Which of the context menu's entries can be chosen now.
struct SongMenuState {
  bool play = false;
  bool stop = false;
  bool exportSong = false;
  bool remove = false;
  bool openFolder = false;
};

class SongListCommands {
 public:
  SongListCommands(frmMain& form, IMainView& main, Platform& platform, IAudioOutput& audio,
                   IQuestion& question, IPlayingLabel& label)
      : form_(form), main_(main), platform_(platform), question_(question),
        player_(platform, audio, label) {}

  void Enter();
  void Escape();
  void Delete();
  void Choose(SongMenuCommand command);
  SongMenuState MenuState() const;

  // The platform's word that the song has played to its end.
  void PlaybackEnded() { player_.PlaybackEnded(); }
  // The window closes.
  void Close() { player_.Close(); }
  const SongPlayer& Player() const { return player_; }

 private:
  // The first selected item, -1 when none.
  int SelectedIndex() const;
  std::string SelectedSong() const;

  frmMain& form_;
  IMainView& main_;
  Platform& platform_;
  IQuestion& question_;
  SongPlayer player_;
};
