// The importer's window: input file and destination folder, the loudness
// switch, a progress bar, a status line and the hidden reason text. Convert runs the conversion on
// a worker thread and returns only when it has ended, so that a program
// that sends the command knows the song is complete when the call returns.
#pragma once

#include <windows.h>

#include <string>

#include "importer/core/convert_song.h"

class TunegrabWindow {
 public:
  explicit TunegrabWindow(HINSTANCE instance);
  ~TunegrabWindow();
  static bool RegisterWindowClass(HINSTANCE instance);
  bool Create();
  HWND hwnd() const { return hwnd_; }
  // Alt and a label's underlined letter move to the box the label names
  // (Wine's IsDialogMessage does this for dialogs only). True when used.
  bool Label_Mnemonic(const MSG& message);

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  int Px(int pixels96) const { return MulDiv(pixels96, dpi_, 96); }
  HWND AddControl(const char* className, const char* text, DWORD style, int id, int left, int top, int width,
                  int height, DWORD exStyle = 0);
  std::string TextOf(int id) const;

  void Form_Load();
  void OnCommand(WORD id);
  void Convert_Click();
  void BrowseInput_Click();
  void BrowseFolder_Click();
  void Close_Click();
  void OnProgress(int percent);
  void SetBusy(bool busy);
  void RunConversionWaiting(tunegrab::ConvertRequest& request, tunegrab::ConvertResult& result);

  HINSTANCE instance_;
  HWND hwnd_ = nullptr;
  HFONT font_ = nullptr;
  int dpi_ = 96;
  bool busy_ = false;
  bool closeWhenDone_ = false;
};
