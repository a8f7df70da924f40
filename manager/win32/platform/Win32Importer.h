// The importer process and its window through the Win32 process and
// window calls: CreateProcessA (hidden), WaitForInputIdle, EnumWindows
// with GetWindowThreadProcessId, SendMessageTimeoutW (SendMessageTimeoutA
// for the reason text), TerminateProcess.
#pragma once

#include <windows.h>

#include "manager/core/ImporterSession.h"

class Win32ImporterProcess : public IImporterProcess {
 public:
  explicit Win32ImporterProcess(const PROCESS_INFORMATION& info) : info_(info) {}
  ~Win32ImporterProcess() override;
  Win32ImporterProcess(const Win32ImporterProcess&) = delete;
  Win32ImporterProcess& operator=(const Win32ImporterProcess&) = delete;

  bool WaitForInputIdle(uint32_t ms) override;
  intptr_t FindOwnWindow(const std::string& title) override;
  intptr_t GetDlgItem(intptr_t window, int id) override;
  bool SendMessageBounded(intptr_t window, uint32_t message, uintptr_t wParam, intptr_t lParam,
                          uint32_t ms) override;
  bool GetTextBounded(intptr_t window, size_t maxLength, uint32_t ms, std::string& text) override;
  void BringWindowToTop(intptr_t window) override;
  bool WaitForExit(uint32_t ms) override;
  void Terminate() override;

  DWORD Pid() const { return info_.dwProcessId; }

 private:
  PROCESS_INFORMATION info_;
};

class Win32Importer : public IImporter {
 public:
  ImporterStart Start(const std::string& program, const std::string& commandLine,
                      std::unique_ptr<IImporterProcess>& process) override;
  uint64_t NowMs() override;
  FileStamp Stamp(const std::string& path) override;
};
