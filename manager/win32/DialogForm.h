// What the dialogs share: a dialog window made from an empty template (the
// form adds its controls itself, sized in twips at 96 DPI and scaled to the
// screen's DPI), shown modal or modeless, with events forwarded to Handle.
#pragma once

#include <windows.h>

class DialogForm {
 public:
  explicit DialogForm(HINSTANCE instance) : instance_(instance) {}
  virtual ~DialogForm();
  DialogForm(const DialogForm&) = delete;
  DialogForm& operator=(const DialogForm&) = delete;

  HWND hwnd() const { return hwnd_; }
  // Modal: returns when the dialog has been closed.
  void ShowModal(HWND owner);
  // Modeless: returns once the dialog is shown.
  bool ShowModeless(HWND owner);
  // Closes the dialog either way.
  void Close();

 protected:
  // WM_INITDIALOG: add the controls.
  virtual void OnInitDialog() = 0;
  // Every other message; returns the dialog procedure's answer.
  virtual INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam) = 0;

  int Px(int twips) const;
  HWND AddControl(const char* className, const char* text, DWORD style, int id, int left, int top,
                  int width, int height, DWORD exStyle = 0);
  // The client area's size in twips; the dialog is centred on its owner.
  void SizeAndCentre(int clientWidthTwips, int clientHeightTwips);
  // Tab order and Z order: the controls in the order given, first on top.
  void Order(const int* ids, int count);

  HINSTANCE instance_;
  HWND hwnd_ = nullptr;
  HFONT font_ = nullptr;
  int dpi_ = 96;

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  bool modal_ = false;
};
