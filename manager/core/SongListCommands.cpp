#include "manager/core/SongListCommands.h"

int SongListCommands::SelectedIndex() const {
  const int index = main_.SelectedIndex();
  return index >= 0 && index < form_.Songs().Count() ? index : -1;
}

std::string SongListCommands::SelectedSong() const {
  const int index = SelectedIndex();
  return index < 0 ? std::string() : form_.Songs().At(index).fileName;
}

void SongListCommands::Enter() {
  if (GameFolder.empty()) return;
  std::string song = SelectedSong();
  if (!song.empty()) player_.Toggle(song);
}

void SongListCommands::Escape() { player_.Stop(); }

void SongListCommands::Delete() {
  const auto stopIfPlaying = [this](const std::string& song) {
    if (player_.Song() == song) player_.Stop();
  };
  const std::vector<int> selected = main_.SelectedIndexes();
  if (selected.size() > 1) {
    RemoveSongs(form_.Songs(), platform_, question_, selected, stopIfPlaying);
  } else {
    RemoveSong(form_.Songs(), platform_, question_, SelectedIndex(), stopIfPlaying);
  }
}

void SongListCommands::Choose(SongMenuCommand command) {
  // The menu was built for the state it showed; the state is checked again.
  SongMenuState state = MenuState();
  switch (command) {
    case SongMenuCommand::Play:
      if (state.play) player_.Play(SelectedSong());
      break;
    case SongMenuCommand::Stop: player_.Stop(); break;
    case SongMenuCommand::Export:
      if (state.exportSong) form_.Command6_Click();
      break;
    case SongMenuCommand::Delete: Delete(); break;
    case SongMenuCommand::OpenFolder:
      if (state.openFolder) {
        std::string folder = MusicFolder(GameFolder);
        folder.pop_back();  // Explorer is given the folder without its trailing backslash
        platform_.shell.OpenDocument(main_.Hwnd(), folder);
      }
      break;
  }
}

SongMenuState SongListCommands::MenuState() const {
  SongMenuState state;
  const bool located = !GameFolder.empty();
  const std::string song = SelectedSong();
  state.play = located && !song.empty() && song != player_.Song();
  state.stop = !player_.Song().empty();
  state.exportSong = located && !song.empty();
  state.remove = located && IsRemovableSong(song);
  for (int index : main_.SelectedIndexes())
    if (index >= 0 && index < form_.Songs().Count() && IsRemovableSong(form_.Songs().At(index).fileName))
      state.remove = located;
  state.openFolder = located;
  return state;
}
