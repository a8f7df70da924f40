// The make-new-song dialog: a modal dialog over the main window that
// creates its controls, implements what the form's handlers ask of it and
// forwards each event to them. The end-to-end tests find its controls by
// these ids.
#pragma once

#include <windows.h>

#include "common/win32/Form.h"
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

class FrmAddNewWindow : public winui::Form, public IAddNewView {
 public:
  explicit FrmAddNewWindow(HINSTANCE instance) : Form(instance) {}
  ~FrmAddNewWindow() override;
  void Attach(FrmAddNew* form) { form_ = form; }
  // ShowModal shows the dialog over its owner and returns when it has
  // been unloaded.

  // IAddNewView
  intptr_t Hwnd() override { return reinterpret_cast<intptr_t>(hwnd_); }
  std::string Text1() override;
  void SetText1(const std::string& text) override;
  std::string Text2() override;
  void SetText2(const std::string& text) override;
  void SetHourglass(bool on) override;
  void DoEvents() override;
  void Unload() override;

 protected:
  void OnCreate() override;
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override;
  HFONT CreateFormFont(const LOGFONTA& messageFont) override;
  void OnDpiChanged() override;

 private:
  void OnCommand(WORD id, WORD code);
  void OnDropFiles(HDROP drop);
  void OnClose();
  LRESULT OnDrawItem(WPARAM id, const DRAWITEMSTRUCT& item);
  void LoadIcons();
  // A caption wider than its design grows to the right, inside the frame.
  void GrowLabels();
  std::string TextOf(int id) const;

  HICON icon_ = nullptr;
  HICON smallIcon_ = nullptr;
  bool settingText1_ = false;  // Text1's change comes from the form itself
  FrmAddNew* form_ = nullptr;
};

// Opens the dialog modally over the main window, with the platform's
// services, its own message boxes and the Win32 importer.
void ShowFrmAddNewDialog(HINSTANCE instance, HWND owner, SongList& songs, Platform& platform);
