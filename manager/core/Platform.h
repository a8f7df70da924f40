// Everything outside the windows that the manager's forms use (files,
// registry, settings, dialogs, messages, the shell, other programs), and
// where the game keeps its songs.
#pragma once

#include <cstdint>
#include <string>

#include "manager/core/cRegistry.h"
#include "manager/core/mCommonDialog.h"
#include "manager/core/modFiles.h"
#include "manager/core/modKorm.h"
#include "manager/core/modShell.h"

// The per-user application settings store (application, section, key).
class ISettingsStore {
 public:
  virtual ~ISettingsStore() = default;
  virtual std::string GetSetting(const std::string& app, const std::string& section,
                                 const std::string& key, const std::string& defaultValue) = 0;
  virtual void SaveSetting(const std::string& app, const std::string& section,
                           const std::string& key, const std::string& value) = 0;
};

// Opens a document or address with the program Windows associates with it.
class IShell {
 public:
  virtual ~IShell() = default;
  virtual void OpenDocument(intptr_t owner, const std::string& document) = 0;
};

// Everything outside the window that the main window uses.
struct Platform {
  IFileSystem& fs;
  IRegistryApi& registry;
  ISettingsStore& settings;
  IFileDialogApi& dialogs;
  IMessageSink& messages;
  IShell& shell;
  std::string programFolder;  // without a trailing backslash except at a root
  std::string commandLine;    // the text after the program's name
  IProcessRunner& processes;
  IScratchFolders& scratch;
};

// The help file, beside the program.
constexpr const char* HelpFileName = "readme.txt";

// A file beside the program (the help file, the converter, the importer):
// programFolder is Platform::programFolder.
std::string ProgramFile(const std::string& programFolder, const std::string& name);

// The game's music folder, where its songs and music.inf lie, with a
// trailing backslash: <game folder>\data\audio\music\ (one backslash
// after a root such as "D:\"). Every path into the folder starts here.
std::string MusicFolder(const std::string& gameFolder);
