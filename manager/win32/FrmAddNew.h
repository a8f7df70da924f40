// The make-new-song dialog: a modal dialog over the main window that
// creates its controls, implements what the form's handlers ask of it and
// forwards each event to them. The end-to-end tests find its controls by
// these ids.
#pragma once

#include <windows.h>

#include "manager/core/FrmAddNew.h"

#define IDC_ADDNEW_FRAME1 2100
#define IDC_ADDNEW_TEXT1 2101
#define IDC_ADDNEW_TEXT2 2102
#define IDC_ADDNEW_COMMAND1 2111
#define IDC_ADDNEW_COMMAND2 2112
#define IDC_ADDNEW_COMMAND3 2113
#define IDC_ADDNEW_COMMAND4 2114
#define IDC_ADDNEW_LABEL1 2121
#define IDC_ADDNEW_LABEL2 2122
#define IDC_ADDNEW_LABEL3 2123
#define IDC_ADDNEW_PICICON 2124

class FrmAddNewWindow : public IAddNewView {
 public:
  explicit FrmAddNewWindow(HINSTANCE instance) : instance_(instance) {}
  ~FrmAddNewWindow() override;
  void Attach(FrmAddNew* form) { form_ = form; }
  // Shows the dialog over owner and returns when it has been unloaded.
  void ShowModal(HWND owner);
  HWND hwnd() const { return hwnd_; }

  // IAddNewView
  intptr_t Hwnd() override { return reinterpret_cast<intptr_t>(hwnd_); }
  std::string Text1() override;
  void SetText1(const std::string& text) override;
  std::string Text2() override;
  void SetText2(const std::string& text) override;
  void SetHourglass(bool on) override;
  void DoEvents() override;
  void Unload() override;

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void OnInitDialog();
  void PlaceOnOwner();
  void CreateControls();
  void OnCommand(WORD id, WORD code);
  void OnDrawIcon(const DRAWITEMSTRUCT& item);
  bool OnSetCursor();

  // Sizes are designed in twips at 96 DPI (15 twips a pixel) and scaled.
  int Px(int twips) const;
  HWND AddControl(const char* className, const char* text, DWORD style, int id, int left,
                  int top, int width, int height, DWORD exStyle = 0);
  std::string TextOf(int id) const;
  int TextWidth(HFONT font, const char* text) const;
  HFONT FittingFont(LOGFONTA font) const;
  void AddLabel(const char* text, int id, int left, int top, int width, int height);

  HINSTANCE instance_;
  HWND hwnd_ = nullptr;
  HWND owner_ = nullptr;
  HFONT font_ = nullptr;
  HICON icon_ = nullptr;
  HICON smallIcon_ = nullptr;
  int dpi_ = 96;
  bool hourglass_ = false;
  bool settingText1_ = false;  // Text1's change comes from the form itself
  FrmAddNew* form_ = nullptr;
};

// Opens the dialog modally over the main window, with the platform's
// services, its own message boxes and the Win32 importer.
void ShowFrmAddNewDialog(HINSTANCE instance, HWND owner, IMainView& mainWindow, Platform& platform);
