// The export dialog: creates the controls, implements what the export asks
// of the window, and forwards each event to its handler. Modeless: the main
// window stays usable while it is open.
#pragma once

#include <windows.h>

#include "common/win32/Form.h"
#include "manager/core/FrmExport.h"

class FrmExportWindow : public winui::Form, public IExportView {
 public:
  FrmExportWindow(HINSTANCE instance, Platform& platform) : Form(instance), form_(*this, platform) {}
  ~FrmExportWindow() override;

  // Loads and shows the dialog, or brings the open one forward.
  void Show(HWND owner);
  bool IsOpen() const { return hwnd_ != nullptr; }

  // IExportView
  intptr_t Hwnd() override { return reinterpret_cast<intptr_t>(hwnd_); }
  std::string Text1() override;
  void SetText1(const std::string& text) override;
  void SetLabel1(const std::string& caption) override;
  void SetBusy(bool busy) override;
  void Unload() override { Close(); }

 protected:
  void OnCreate() override;
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnDpiChanged() override;

 private:
  void OnCommand(WORD id);
  void OnActivate(WORD state);
  void FitCaption();
  void ShowPicture();

  FrmExport form_;
  HBITMAP picture_ = nullptr;
  HFONT frameFont_ = nullptr;
};
