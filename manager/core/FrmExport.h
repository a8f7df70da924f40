// The export dialog's decisions, free of any window system: the Win32 form
// forwards its events here and implements IExportView. The converter runs
// in a private folder of its own, so a failed conversion can never pass
// off an older "000.wav" as the song, and nothing is written beside the
// program.
#pragma once

#include <cstdint>
#include <string>

#include "manager/core/Platform.h"

class IExportView {
 public:
  virtual ~IExportView() = default;
  virtual intptr_t Hwnd() = 0;
  // The destination's path, in UTF-8.
  virtual std::string Text1() = 0;
  virtual void SetText1(const std::string& text) = 0;
  virtual void SetLabel1(const std::string& caption) = 0;
  // The hourglass pointer, and "&Export song!" disabled, while busy.
  virtual void SetBusy(bool busy) = 0;
  virtual void Unload() = 0;
};

constexpr const char* ExportCaption = "Kickora Music Manager - Export song from game...";
constexpr const char* ConverterFileName = "tonepak.exe";
constexpr const char* ConverterOutputName = "000.wav";
constexpr const char* ExportFailedMessage = "An error occurred while exporting the song.";

// "Cannot find file "tonepak.exe". ..." naming the program folder.
std::string MissingConverterMessage(const std::string& programFolder);

// The converter's command line: its path and the song's path, each in
// quotes, so that folders with blanks ("C:\Program Files\...") work.
std::string ExportCommandLine(const std::string& programFolder, const std::string& gameFolder,
                              const std::string& song);

// How an export of one song went.
enum class ExportStep { Done, NoPrivateFolder, NotConverted, NotCopied };

// Converts the music folder's song with the converter in a fresh private
// folder and copies its WAV to destination (a file path in UTF-8 whose
// folder must exist); done only when the destination then holds the WAV's
// bytes. The private folder goes again either way.
ExportStep ExportSongTo(Platform& platform, const std::string& song, const std::string& destination);

class FrmExport {
 public:
  FrmExport(IExportView& view, Platform& platform) : view_(view), platform_(platform) {}

  void Form_Load();
  // The dialog is brought forward (also for another song): Label1 names
  // the song that an export would now convert.
  void Form_Activate();
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void Command4_Click();

  bool Busy() const { return busy_; }

 private:
  void ShowSongLabel();
  IExportView& view_;
  Platform& platform_;
  bool busy_ = false;
};
