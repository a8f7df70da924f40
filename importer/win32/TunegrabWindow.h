// The importer's window: input file and destination folder, the loudness
// switch, a progress bar, a status line and the hidden reason text. Convert runs the conversion on
// a worker thread and returns only when it has ended, so that a program
// that sends the command knows the song is complete when the call returns.
#pragma once

#include <windows.h>

#include <string>

#include "common/win32/Form.h"
#include "importer/core/convert_song.h"

class TunegrabWindow : public winui::Form {
 public:
  explicit TunegrabWindow(HINSTANCE instance);
  ~TunegrabWindow() override;
  static bool RegisterWindowClass(HINSTANCE instance);
  bool Create();
  // The keyboard before dispatch: the labels' access keys, then Tab, Enter
  // and Esc as in a dialog. True when the message has been used.
  bool KeyboardMessage(MSG& message);

 protected:
  void OnCreate() override;
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // Alt and a label's underlined letter move to the box the label names
  // (Wine's IsDialogMessage does this for dialogs only). True when used.
  bool Label_Mnemonic(const MSG& message);

  void OnCommand(WORD id);
  void OnDestroy();
  void Convert_Click();
  void BrowseInput_Click();
  void BrowseFolder_Click();
  void Close_Click();
  void OnProgress(int percent);
  void SetBusy(bool busy);
  void RunConversionWaiting(tunegrab::ConvertRequest& request, tunegrab::ConvertResult& result);

  bool busy_ = false;
  bool closeWhenDone_ = false;
};
