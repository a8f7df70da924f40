// One run of the outside importer tunegrab.exe, as the make-new-song
// dialog drives it: start the program hidden, find its window, type the
// input file and the destination folder into it, press convert, close it.
// The process and its window sit behind IImporter and IImporterProcess so
// that every decision (how long to look, what to do when the importer
// hangs or never shows its window) runs against fakes in the unit tests.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "common/importer_window.h"

constexpr const char* ImporterProgramName = importer_window::ProgramName;
constexpr const char* ImporterWindowTitle = importer_window::Title;

// Controls of the importer's window.
constexpr int ImporterInputEdit = importer_window::InputEdit;
constexpr int ImporterFolderEdit = importer_window::FolderEdit;
constexpr int ImporterConvertCommand = importer_window::ConvertCommand;
constexpr int ImporterCloseCommand = importer_window::CloseCommand;
constexpr int ImporterReasonText = importer_window::ReasonText;

// Window messages sent to the importer (the values of the Win32 API).
constexpr uint32_t EM_SETSEL_MESSAGE = 0x00B1;
constexpr uint32_t WM_CLEAR_MESSAGE = 0x0303;
constexpr uint32_t WM_CHAR_MESSAGE = 0x0102;
constexpr uint32_t WM_COMMAND_MESSAGE = 0x0111;
constexpr uint32_t WM_GETTEXT_MESSAGE = 0x000D;
// A typed character: repeat count 1, scan code 0x11.
constexpr intptr_t TypedCharFlags = 0x110001;

// Bounds of every wait on the importer, in milliseconds.
constexpr uint32_t ImporterIdleBound = 10000;     // until it first waits for input
constexpr uint32_t ImporterWindowBound = 10000;   // looking for its window
constexpr uint32_t ImporterLookPause = 100;       // between two looks
constexpr uint32_t ImporterReplyBound = 10000;    // any message but convert
constexpr uint32_t ImporterConvertBound = 600000; // the convert command: ten minutes
constexpr uint32_t ImporterExitBound = 5000;      // ending after the close command

// The longest reason text taken from the importer, in characters.
constexpr size_t ImporterReasonMaxLength = 1000;

// A started importer process. Destroying it closes the handles only; the
// session decides whether the process is ended first.
class IImporterProcess {
 public:
  virtual ~IImporterProcess() = default;
  // Until the process first waits for input, at most ms. False when it
  // did not (or cannot: it has ended, or it has no message loop).
  virtual bool WaitForInputIdle(uint32_t ms) = 0;
  // A top-level window of this very process whose title is exactly title;
  // 0 when it has none.
  virtual intptr_t FindOwnWindow(const std::string& title) = 0;
  virtual intptr_t GetDlgItem(intptr_t window, int id) = 0;
  // Sends a message as a Unicode one (a WM_CHAR carries a UTF-16 code
  // unit) and waits at most ms for the reply. False when the window did not
  // answer in time or the call failed.
  virtual bool SendMessageBounded(intptr_t window, uint32_t message, uintptr_t wParam,
                                  intptr_t lParam, uint32_t ms) = 0;
  // The text of a control (WM_GETTEXT), at most maxLength characters,
  // waiting at most ms for the reply. False when the window did not answer
  // in time or the call failed.
  virtual bool GetTextBounded(intptr_t window, size_t maxLength, uint32_t ms,
                              std::string& text) = 0;
  virtual void BringWindowToTop(intptr_t window) = 0;
  // Waits at most ms for the process to end; true when it has ended.
  virtual bool WaitForExit(uint32_t ms) = 0;
  virtual void Terminate() = 0;
};

enum class ImporterStart { Started, ProgramMissing, Failed };

// What the importer produced: a file's identity at one moment.
struct FileStamp {
  bool exists = false;
  uint64_t writeTime = 0;
  uint64_t size = 0;
  bool operator==(const FileStamp&) const = default;
};

class IImporter {
 public:
  virtual ~IImporter() = default;
  // Starts program (a path, never searched for) with commandLine, hidden.
  // Sets process when started.
  virtual ImporterStart Start(const std::string& program, const std::string& commandLine,
                              std::unique_ptr<IImporterProcess>& process) = 0;
  // A steady clock in milliseconds.
  virtual uint64_t NowMs() = 0;
  virtual FileStamp Stamp(const std::string& path) = 0;
};

// The command line the importer is started with: its path in quotes, so
// that a program folder with blanks ("C:\Program Files\...") works.
std::string ImporterCommandLine(const std::string& program);

// True when after is a file that was not there, or not that file, before.
bool IsNewFile(const FileStamp& before, const FileStamp& after);

class ImporterSession {
 public:
  explicit ImporterSession(IImporter& importer) : importer_(importer) {}
  // No importer is left running, whatever happened.
  ~ImporterSession();
  ImporterSession(const ImporterSession&) = delete;
  ImporterSession& operator=(const ImporterSession&) = delete;

  // Starts the importer and looks, for a bounded time, for its window.
  // Started means the window was found; on Failed no process is left.
  ImporterStart Open(const std::string& program);
  // Types the input file and the destination folder (both UTF-8) into
  // their boxes, brings the window to the top and sends convert. False when the
  // importer did not answer in time; it has then been ended.
  bool Convert(const std::string& inputFile, const std::string& folder);
  // Why the last convert made no song, as the importer's reason control
  // says it, on one line; "" when the importer gives none (an older one
  // has no such control) or did not answer.
  std::string Reason();
  // Sends the close command, waits briefly and ends the importer when it
  // is still running.
  void Close();

  intptr_t Window() const { return window_; }

 private:
  intptr_t FindWindowBounded();
  bool Send(intptr_t target, uint32_t message, uintptr_t wParam, intptr_t lParam, uint32_t ms);
  bool Type(int editId, const std::string& text);
  void End();

  IImporter& importer_;
  std::unique_ptr<IImporterProcess> process_;
  intptr_t window_ = 0;
};
