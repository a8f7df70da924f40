#include "manager/core/SongListCommands.h"

int SongListCommands::SelectedIndex() const {
  ISongList& list = main_.ListView1();
  for (int i = 0; i < list.Count(); ++i) {
    if (IsSelected(list, i)) return i;
  }
  return -1;
}

std::string SongListCommands::SelectedSong() const {
  int index = SelectedIndex();
  return index < 0 ? std::string() : main_.ListView1().Text(index);
}

void SongListCommands::Enter() {
  if (GameFolder.empty()) return;
  std::string song = SelectedSong();
  if (!song.empty()) player_.Toggle(song);
}

void SongListCommands::Escape() { player_.Stop(); }

void SongListCommands::Delete() {
  RemoveSong(main_, platform_, question_, SelectedIndex(), [this](const std::string& song) {
    if (player_.Song() == song) player_.Stop();
  });
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
        std::string folder = MusicFolder();
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
  state.openFolder = located;
  return state;
}
