// The About box: creates the controls, draws the gray band, implements
// what the About decisions ask of the window and forwards each event.
#pragma once

#include <windows.h>

#include "common/win32/Form.h"
#include "manager/core/frmAbout.h"

class frmAboutWindow : public winui::Form, public IAboutView {
 public:
  frmAboutWindow(HINSTANCE instance, Platform& platform, ProgramVersion version)
      : Form(instance), form_(*this, platform, version) {}
  ~frmAboutWindow() override;

  // IAboutView
  intptr_t Hwnd() override { return reinterpret_cast<intptr_t>(hwnd_); }
  void SetCaption(const std::string& caption) override;
  void SetLblVersion(const std::string& caption) override;
  void SetLabel2Underline(bool underlined) override;
  void Unload() override { Close(); }

 protected:
  void OnCreate() override;
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnDpiChanged() override;

 private:
  void MakeFonts();
  void ShowPictures();
  void OnCommand(WORD id, WORD code);
  void OnMouseOver(HWND control);
  void DrawGrayBand(const DRAWITEMSTRUCT& item);
  LRESULT OnDrawItem(WPARAM id, const DRAWITEMSTRUCT& item);
  LRESULT OnColorStatic(HDC dc, HWND control);

  frmAbout form_;
  HFONT titleFont_ = nullptr;
  HFONT subtitleFont_ = nullptr;
  HFONT linkFont_ = nullptr;
  HBITMAP logo_ = nullptr;
  HICON icon_ = nullptr;
  bool underlined_ = false;
};
