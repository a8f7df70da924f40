// In-memory stand-ins for the manager's platform interfaces.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cctype>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "manager/core/RuntimeError.h"
#include "manager/core/cRegistry.h"
#include "manager/core/frmMain.h"
#include "manager/core/mCommonDialog.h"
#include "manager/core/modFiles.h"
#include "manager/core/modKorm.h"

inline std::vector<uint8_t> Bytes(const std::string& text) {
  return std::vector<uint8_t>(text.begin(), text.end());
}

// Paths are compared exactly (a case-sensitive file system) unless
// caseInsensitive is set, as on Windows.
class FakeFileSystem : public IFileSystem {
 public:
  bool caseInsensitive = false;
  std::map<std::string, std::vector<uint8_t>> files;
  std::set<std::string> folders;  // without trailing backslash
  std::set<std::string> readOnly;
  long failWriteWith = 0;    // error number WriteAll throws
  long failReplaceWith = 0;  // error number ReplaceWith throws
  // A disk that fills up: WriteAll keeps only this many bytes of a longer
  // file and then fails with "Disk full".
  size_t diskRoomBytes = SIZE_MAX;
  std::vector<std::string> writesOrder;  // every path written, in order

  struct ShellCall {
    unsigned operation;
    std::string sources;
    std::string target;
    unsigned flags;
    bool utf8 = false;  // the paths in UTF-8 (the wide call)
  };
  std::vector<ShellCall> shellCalls;
  ShellOpOutcome shellOutcome{true, false};
  // Renames really move the file (one source), as the shell would.
  bool performRenames = false;
  // Copies report success and write nothing at the target.
  bool copiesGoElsewhere = false;

  void AddFile(const std::string& path, const std::vector<uint8_t>& bytes = {}) {
    files[Key(path)] = bytes;
    AddFolder(path.substr(0, path.rfind('\\')));
  }
  void AddFolder(std::string folder) {
    while (!folder.empty()) {
      folders.insert(Key(folder));
      size_t cut = folder.rfind('\\');
      if (cut == std::string::npos) break;
      folder = folder.substr(0, cut);
    }
  }

  bool Has(const std::string& path) const { return files.count(Key(path)) != 0; }
  const std::vector<uint8_t>& At(const std::string& path) const { return files.at(Key(path)); }

  bool FindFirst(const std::string& pattern) override {
    std::string key = Key(pattern);
    if (files.count(key) || folders.count(key)) return true;
    size_t star = key.find('*');
    if (star == std::string::npos) return false;
    std::string prefix = key.substr(0, star), suffix = key.substr(star + 1);
    for (const auto& [path, bytes] : files) {
      if (path.size() >= prefix.size() + suffix.size() && path.starts_with(prefix) &&
          path.ends_with(suffix) && path.find('\\', prefix.size()) == std::string::npos)
        return true;
    }
    return false;
  }

  std::vector<std::string> ListFiles(const std::string& folder, const std::string& pattern) override {
    std::string dir = Key(folder);
    if (!dir.empty() && dir.back() == '\\') dir.pop_back();
    if (!folders.count(dir)) throw RuntimeError(ErrPathNotFound);
    std::string suffix = Key(pattern.substr(pattern.find('*') + 1));
    std::vector<std::string> names;
    for (const auto& [path, bytes] : files) {
      if (!path.starts_with(dir + "\\")) continue;
      std::string name = path.substr(dir.size() + 1);
      if (name.find('\\') == std::string::npos && name.ends_with(suffix)) names.push_back(name);
    }
    std::reverse(names.begin(), names.end());  // the platform gives no order
    return names;
  }

  std::vector<uint8_t> ReadAll(const std::string& path) override {
    auto it = files.find(Key(path));
    if (it == files.end()) throw RuntimeError(ErrFileNotFound);
    return it->second;
  }

  void WriteAll(const std::string& path, const std::vector<uint8_t>& bytes) override {
    writesOrder.push_back(path);
    if (failWriteWith) throw RuntimeError(failWriteWith);
    if (readOnly.count(Key(path))) throw RuntimeError(ErrPermissionDenied);
    if (bytes.size() > diskRoomBytes) {
      files[Key(path)].assign(bytes.begin(), bytes.begin() + static_cast<long>(diskRoomBytes));
      throw RuntimeError(ErrDiskFull);
    }
    files[Key(path)] = bytes;
  }

  void SetNormalAttributes(const std::string& path) override {
    if (!files.count(Key(path))) throw RuntimeError(ErrFileNotFound);
    readOnly.erase(Key(path));
  }

  void ReplaceWith(const std::string& from, const std::string& to) override {
    if (failReplaceWith) throw RuntimeError(failReplaceWith);
    if (!files.count(Key(from))) throw RuntimeError(ErrFileNotFound);
    if (readOnly.count(Key(to))) throw RuntimeError(ErrPermissionDenied);
    files[Key(to)] = files[Key(from)];
    files.erase(Key(from));
  }

  void Remove(const std::string& path) override {
    if (!files.erase(Key(path))) throw RuntimeError(ErrFileNotFound);
  }

  ShellOpOutcome ShellFileOperationUtf8(unsigned operation, const std::string& sources,
                                        const std::string& target, unsigned flags) override {
    const ShellOpOutcome outcome = ShellFileOperation(operation, sources, target, flags);
    shellCalls.back().utf8 = true;
    return outcome;
  }

  ShellOpOutcome ShellFileOperation(unsigned operation, const std::string& sources,
                                    const std::string& target, unsigned flags) override {
    shellCalls.push_back({operation, sources, target, flags});
    const std::string source = sources.substr(0, sources.find('\0'));
    if (performRenames && operation == FO_RENAME_CODE && shellOutcome.succeeded) {
      if (!files.count(Key(source))) return {false, false};
      files[Key(target)] = files[Key(source)];
      files.erase(Key(source));
    }
    // A copy lands where it was told to, unless the shell is to lie.
    if (operation == FO_COPY_CODE && shellOutcome.succeeded && !copiesGoElsewhere &&
        files.count(Key(source)))
      files[Key(target)] = files[Key(source)];
    return shellOutcome;
  }

 private:
  std::string Key(std::string path) const {
    if (caseInsensitive)
      std::transform(path.begin(), path.end(), path.begin(),
                     [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return path;
  }
};

// The songs a list holds, and those ticked, by file name.
inline std::vector<std::string> Texts(const std::vector<Song>& songs) {
  std::vector<std::string> out;
  for (const Song& song : songs) out.push_back(song.fileName);
  return out;
}
inline std::vector<std::string> CheckedTexts(const std::vector<Song>& songs) {
  std::vector<std::string> out;
  for (const Song& song : songs)
    if (song.ticked) out.push_back(song.fileName);
  return out;
}
inline void AddSong(SongList& list, const std::string& fileName) {
  std::vector<Song> songs = list.Songs();
  songs.push_back({fileName, false, ""});
  list.Replace(std::move(songs));
}
inline void Check(SongList& list, const std::vector<int>& indexes) {
  for (int i : indexes)
    if (!list.At(i).ticked) list.Toggle(i);
}

// A song list made from file names, all unticked.
class FakeSongList : public SongList {
 public:
  explicit FakeSongList(const std::vector<std::string>& texts = {}) {
    for (const std::string& text : texts) Add(text);
  }
  void Add(const std::string& text) { AddSong(*this, text); }
  void Check(const std::vector<int>& indexes) { ::Check(*this, indexes); }
  std::vector<std::string> Texts() const { return ::Texts(Songs()); }
  std::vector<std::string> CheckedTexts() const { return ::CheckedTexts(Songs()); }
};

class FakeMessages : public IMessageSink {
 public:
  struct Message {
    std::string text;
    MessageIcon icon;
    std::string title;
  };
  std::vector<Message> shown;
  using IMessageSink::Show;
  void Show(const std::string& text, MessageIcon icon, const std::string& title) override {
    shown.push_back({text, icon, title});
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> out;
    for (auto& m : shown) out.push_back(m.text);
    return out;
  }
};

class FakeRegistry : public IRegistryApi {
 public:
  struct StoredValue {
    uint32_t type;
    std::vector<uint8_t> data;
  };
  std::map<std::pair<uint32_t, std::string>, std::map<std::string, StoredValue>> keys;
  std::map<std::string, std::string> environment;
  int openKeys = 0;

  void SetString(uint32_t root, const std::string& path, const std::string& name,
                 const std::string& text, uint32_t type = REG_SZ_TYPE) {
    std::vector<uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    keys[{root, path}][name] = {type, data};
  }

  long OpenKey(uint32_t root, const std::string& path, uintptr_t& key) override {
    auto it = keys.find({root, path});
    if (it == keys.end()) return 2;  // ERROR_FILE_NOT_FOUND
    ++openKeys;
    key = reinterpret_cast<uintptr_t>(&it->second);
    return 0;
  }
  long QueryValue(uintptr_t key, const std::string& name, uint32_t& type, uint8_t* data,
                  uint32_t& size) override {
    auto& values = *reinterpret_cast<std::map<std::string, StoredValue>*>(key);
    auto it = values.find(name);
    if (it == values.end()) return 2;
    type = it->second.type;
    uint32_t needed = static_cast<uint32_t>(it->second.data.size());
    if (data == nullptr) {
      size = needed;
      return 0;
    }
    if (size < needed) {
      size = needed;
      return ERROR_MORE_DATA_CODE;
    }
    std::copy(it->second.data.begin(), it->second.data.end(), data);
    size = needed;
    return 0;
  }
  void CloseKey(uintptr_t) override { --openKeys; }
  std::string ExpandEnvironment(const std::string& text) override {
    std::string out = text;
    for (auto& [name, value] : environment) {
      std::string ref = "%" + name + "%";
      for (size_t p; (p = out.find(ref)) != std::string::npos;) out.replace(p, ref.size(), value);
    }
    return out;
  }
};

class FakeSettings : public ISettingsStore {
 public:
  std::map<std::string, std::string> values;  // "app|section|key"
  int saves = 0;
  std::string GetSetting(const std::string& app, const std::string& section, const std::string& key,
                         const std::string& defaultValue) override {
    auto it = values.find(app + "|" + section + "|" + key);
    return it == values.end() ? defaultValue : it->second;
  }
  void SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                   const std::string& value) override {
    ++saves;
    values[app + "|" + section + "|" + key] = value;
  }
};

// Answers with a scripted choice (or cancel) and keeps the request it saw.
class FakeDialogs : public IFileDialogApi {
 public:
  bool confirm = false;
  std::string chosenPath;
  std::string chosenTitle;
  uint32_t returnedFlags = 0;
  int32_t chosenFilterIndex = 1;
  std::vector<FileDialogRequest> requests;
  std::vector<bool> wasSave;

  bool GetOpenFileName(FileDialogRequest& request) override { return Answer(request, false); }
  bool GetSaveFileName(FileDialogRequest& request) override { return Answer(request, true); }

 private:
  bool Answer(FileDialogRequest& request, bool save) {
    requests.push_back(request);
    wasSave.push_back(save);
    if (!confirm) return false;
    request.file = chosenPath;
    request.file.resize(DialogBufferSize, '\0');
    request.fileTitle = chosenTitle;
    request.fileTitle.resize(DialogBufferSize, '\0');
    request.flags = returnedFlags ? returnedFlags : request.flags;
    request.filterIndex = chosenFilterIndex;
    return true;
  }
};

class FakeShell : public IShell {
 public:
  std::vector<std::string> opened;
  void OpenDocument(intptr_t, const std::string& document) override { opened.push_back(document); }
};

// Runs nothing: records each command and answers with what onRun gives
// (by default a process that started and ended with exit code 0).
class FakeProcessRunner : public IProcessRunner {
 public:
  struct Call {
    std::string commandLine;
    int16_t showState;
    std::string workingFolder;
    bool waited;
  };
  std::vector<Call> calls;
  std::function<ProcessOutcome(const Call&)> onRun;
  bool startSucceeds = true;

  ProcessOutcome RunAndWait(const std::string& commandLine, int16_t showState,
                            const std::string& workingFolder) override {
    calls.push_back({commandLine, showState, workingFolder, true});
    return onRun ? onRun(calls.back()) : ProcessOutcome{true, 0};
  }
  bool Start(const std::string& commandLine, int16_t showState) override {
    calls.push_back({commandLine, showState, "", false});
    return startSucceeds;
  }
};

// Private folders under C:\Temp in a fake file system.
class FakeScratchFolders : public IScratchFolders {
 public:
  explicit FakeScratchFolders(FakeFileSystem& fs) : fs_(fs) {}
  bool failCreate = false;
  std::set<std::string> live;
  int created = 0;

  std::string Create() override {
    if (failCreate) return "";
    std::string folder = "C:\\Temp\\tunedeck-" + std::to_string(++created);
    fs_.AddFolder(folder);
    live.insert(folder);
    return folder;
  }
  void Remove(const std::string& folder) override {
    std::string key = folder;
    if (fs_.caseInsensitive)
      std::transform(key.begin(), key.end(), key.begin(),
                     [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (auto it = fs_.files.begin(); it != fs_.files.end();)
      it = it->first.starts_with(key + "\\") ? fs_.files.erase(it) : std::next(it);
    fs_.folders.erase(key);
    live.erase(folder);
  }

 private:
  FakeFileSystem& fs_;
};

// Every platform fake with the Platform made of them, for the given
// program folder (and command line); fs may be a fake of the test's own.
template <class FileSystem = FakeFileSystem>
struct FakePlatform {
  explicit FakePlatform(const std::string& programFolder, const std::string& commandLine = "")
      : scratch(fs), platform{fs, registry, settings, dialogs, messages, shell, programFolder, commandLine, processes,
                              scratch} {}
  FileSystem fs;
  FakeRegistry registry;
  FakeSettings settings;
  FakeDialogs dialogs;
  FakeMessages messages;
  FakeShell shell;
  FakeProcessRunner processes;
  FakeScratchFolders scratch;
  Platform platform;
};

// The main window: what it was told to show, which songs are selected, and
// its answer to the question before closing.
class FakeMainWindow : public IMainView {
 public:
  std::vector<Song> shown;
  std::vector<int> selected;
  SaveAnswer answer = SaveAnswer::Cancel;
  std::vector<std::string> asked;
  std::vector<std::string> calls;
  intptr_t Hwnd() override { return 0x77; }
  int SelectedIndex() override { return selected.empty() ? -1 : selected[0]; }
  std::vector<int> SelectedIndexes() override { return selected; }
  void ShowSongs(const SongList& songs) override {
    calls.push_back("ShowSongs");
    shown = songs.Songs();
  }
  void ShowTick(const SongList& songs, int) override { shown = songs.Songs(); }
  SaveAnswer AskYesNoCancel(const std::string& text, const std::string& title) override {
    asked.push_back(title + ": " + text);
    return answer;
  }
  void SetLabel2(const std::string&) override {}
  void DisableCommand(MainCommand) override {}
  void FlattenHeader() override {}
  void EnableCheckBoxes() override {}
  void SetTiledBackground(const std::string&) override {}
  void SetTextBlack() override {}
  void ShowForm() override {}
  void Unload() override { calls.push_back("Unload"); }
  void ShowFrmAddNew() override {}
  void ShowFrmExport() override { calls.push_back("FrmExport:" + SelectedSong); }
  void ShowFrmAbout() override {}
};
