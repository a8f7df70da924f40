// The About box: creates the controls, draws the gray band, implements
// what the About decisions ask of the window and forwards each event.
#pragma once

#include <windows.h>

#include "manager/core/frmAbout.h"
#include "manager/win32/DialogForm.h"

class frmAboutWindow : public DialogForm, public IAboutView {
 public:
  frmAboutWindow(HINSTANCE instance, Platform& platform, ProgramVersion version)
      : DialogForm(instance), form_(*this, platform, version) {}
  ~frmAboutWindow() override;

  // IAboutView
  intptr_t Hwnd() override { return reinterpret_cast<intptr_t>(hwnd_); }
  void SetCaption(const std::string& caption) override;
  void SetLblVersion(const std::string& caption) override;
  void SetLabel2Underline(bool underlined) override;
  void Unload() override { Close(); }

 protected:
  void OnInitDialog() override;
  INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void AddTitles();
  void AddPictures();
  void OnCommand(WORD id, WORD code);
  void OnMouseOver(HWND control);
  void DrawGrayBand(const DRAWITEMSTRUCT& item);
  INT_PTR OnColorStatic(HDC dc, HWND control);

  frmAbout form_;
  HFONT titleFont_ = nullptr;
  HFONT subtitleFont_ = nullptr;
  HFONT linkFont_ = nullptr;
  HBITMAP logo_ = nullptr;
  HICON icon_ = nullptr;
  bool underlined_ = false;
};
