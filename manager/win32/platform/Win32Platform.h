// The Win32 side of the core's platform interfaces.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "manager/core/cRegistry.h"
#include "manager/core/frmAbout.h"
#include "manager/core/Platform.h"
#include "manager/core/mCommonDialog.h"
#include "manager/core/modFiles.h"
#include "manager/core/modKorm.h"
#include "manager/core/modShell.h"

// The run-time error number for a failed Win32 file call.
long ErrorNumberFor(DWORD win32Error);

class Win32FileSystem : public IFileSystem {
 public:
  bool FindFirst(const std::string& pattern) override;
  std::vector<std::string> ListFiles(const std::string& folder, const std::string& pattern) override;
  std::vector<uint8_t> ReadAll(const std::string& path) override;
  std::vector<uint8_t> ReadStart(const std::string& path, size_t maxBytes) override;
  // The shell's property store (Windows' own tag readers): the title.
  std::string SystemTitleTag(const std::string& utf8Path) override;
  // The wide calls, for paths of any name.
  bool FindFirstUtf8(const std::string& pattern) override;
  std::vector<uint8_t> ReadAllUtf8(const std::string& path) override;
  std::vector<uint8_t> ReadStartUtf8(const std::string& path, size_t maxBytes) override;
  ShellOpOutcome ShellFileOperationUtf8(unsigned operation, const std::string& sources,
                                        const std::string& target, unsigned flags) override;
  void WriteAll(const std::string& path, const std::vector<uint8_t>& bytes) override;
  void SetNormalAttributes(const std::string& path) override;
  void ReplaceWith(const std::string& from, const std::string& to) override;
  void Remove(const std::string& path) override;
  ShellOpOutcome ShellFileOperation(unsigned operation, const std::string& sources,
                                    const std::string& target, unsigned flags) override;
};

class Win32Registry : public IRegistryApi {
 public:
  long OpenKey(uint32_t root, const std::string& path, uintptr_t& key) override;
  long QueryValue(uintptr_t key, const std::string& name, uint32_t& type, uint8_t* data,
                  uint32_t& size) override;
  void CloseKey(uintptr_t key) override;
  std::string ExpandEnvironment(const std::string& text) override;
};

// Settings live where the classic per-user application settings of Windows
// programs live: HKCU\Software\VB and VBA Program Settings\<app>\<section>.
class Win32Settings : public ISettingsStore {
 public:
  static constexpr const char* Root = "Software\\VB and VBA Program Settings\\";
  std::string GetSetting(const std::string& app, const std::string& section, const std::string& key,
                         const std::string& defaultValue) override;
  void SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                   const std::string& value) override;
};

class Win32FileDialogs : public IFileDialogApi {
 public:
  bool GetOpenFileName(FileDialogRequest& request) override;
  bool GetSaveFileName(FileDialogRequest& request) override;
  std::string ChooseFolder(intptr_t owner, const std::string& title) override;
};

// Message boxes owned by the window that owner() names at the time (none
// while the main window is still hidden).
class Win32MessageSink : public IMessageSink {
 public:
  explicit Win32MessageSink(std::function<HWND()> owner) : owner_(std::move(owner)) {}
  using IMessageSink::Show;
  void Show(const std::string& text, MessageIcon icon, const std::string& title) override;

 private:
  std::function<HWND()> owner_;
};

class Win32Shell : public IShell {
 public:
  void OpenDocument(intptr_t owner, const std::string& document) override;
};

// The folder holding the running program, without a trailing backslash
// except at a drive's root.
std::string ProgramFolder();
// The text after the program's name on the command line, as it stands.
std::string CommandLineArguments(const char* commandLine);

// ShellStop's platform side: CreateProcessA, then a wait on the process's
// handle and the thread's window messages together.
class Win32ProcessRunner : public IProcessRunner {
 public:
  ProcessOutcome RunAndWait(const std::string& commandLine, int16_t showState,
                            const std::string& workingFolder) override;
  bool Start(const std::string& commandLine, int16_t showState) override;
};

// Folders "tunedeck-<process>-<n>" in the user's temporary directory.
class Win32ScratchFolders : public IScratchFolders {
 public:
  std::string Create() override;
  void Remove(const std::string& folder) override;
};

// Gives the message to IsDialogMessageW of its top-level window when that
// window holds controls; true when it was handled there.
bool IsDialogKeyMessage(MSG& message);

// Major, minor and revision of the running program's version resource.
ProgramVersion ReadProgramVersion();
