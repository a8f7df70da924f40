// The base of every window of both programs: a dialog made from an empty
// template (modal or modeless) or a top-level window of a registered
// class. It owns the window procedure, the form's font, the controls laid
// out from a table in twips, centring on the owner, the default and cancel
// buttons, and the layout at the window's DPI: a move to a screen of
// another DPI (WM_DPICHANGED) lays every control out again from its twips.
// A top-level window whose frame can be sized lays its controls out by
// their anchors, never below its design size, and both kinds of window give
// the keyboard back to the control that had it when they are activated
// again (a dialog through the dialog manager, a window by itself).
// A form adds its own controls and answers its own messages.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

namespace winui {

// How a control follows a window that the player makes larger than its
// design: by default it keeps its place and size.
enum Anchor : unsigned {
  KeepPlace = 0,
  FollowRight = 1,   // moves with the right edge
  FollowBottom = 2,  // moves with the bottom edge
  GrowWidth = 4,     // takes the extra width
  GrowHeight = 8,    // takes the extra height
};

// One control of a form: its class, caption, styles, id and place in twips.
struct ControlEntry {
  const char* className;
  const char* text;
  DWORD style;
  int id;
  int left, top, width, height;
  DWORD exStyle = 0;
  unsigned anchor = KeepPlace;
  // A Unicode control (an edit box that holds any text) in a form whose
  // class is not; a Unicode form's controls all are.
  bool wide = false;
};

class Form {
 public:
  explicit Form(HINSTANCE instance) : instance_(instance) {}
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  HWND hwnd() const { return hwnd_; }
  // A dialog, modal: returns when it has been closed.
  void ShowModal(HWND owner);
  // A dialog, modeless: returns once it is shown.
  bool ShowModeless(HWND owner);
  // A top-level window of windowClass (see RegisterFormClass), hidden,
  // with a client area of the size given in twips.
  bool CreateTopLevel(const char* windowClass, const char* title, DWORD style, DWORD exStyle,
                      int clientWidthTwips, int clientHeightTwips);
  // Closes the dialog or destroys the window.
  void Close();

  // unicode: the class's windows and their controls take UTF-16 text.
  static bool RegisterFormClass(HINSTANCE instance, const char* windowClass, HICON icon,
                                HICON smallIcon, bool unicode = false);

 protected:
  // WM_INITDIALOG or WM_CREATE: the font is made; add the controls.
  virtual void OnCreate() = 0;
  // Every other message. A dialog answers as a dialog procedure does; a
  // window returns Default() for what it leaves to the system.
  virtual LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) = 0;
  // The form's font from the system's message font at the window's DPI.
  virtual HFONT CreateFormFont(const LOGFONTA& messageFont);
  // After a DPI change has laid the controls out again and given them the
  // new font: what the form sized itself (pictures, other fonts).
  virtual void OnDpiChanged() {}
  // After the controls were laid out (a new size or DPI): what the form
  // fits to them itself (a list's columns).
  virtual void OnLayout() {}

  LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);
  int Px(int twips) const;
  HWND AddControl(const ControlEntry& entry);
  HWND AddControl(const char* className, const char* text, DWORD style, int id, int left, int top,
                  int width, int height, DWORD exStyle = 0);
  void AddControls(const ControlEntry* entries, size_t count);
  // Puts a control at its table place again (after the system moved it).
  void PlaceAsDesigned(int id);
  // The client area's size in twips; a dialog is centred on its owner and
  // kept on the work area.
  void SizeAndCentre(int clientWidthTwips, int clientHeightTwips);
  // Tab order and Z order: the controls in the order given, first on top.
  void Order(const int* ids, int count);
  // Enter presses the default button; Esc (IDCANCEL) the cancel button.
  void SetDefaultButton(int id);
  void SetCancelButton(int id) { cancelId_ = id; }
  int TextWidth(HFONT font, const char* text) const;
  // A control's text in UTF-8, through the wide calls (a Unicode control
  // keeps characters the code page has no place for).
  std::string ControlText(int id) const;
  void SetControlText(int id, const std::string& utf8);
  // The hourglass over the form while it works, at once and at every move.
  void ShowWaitPointer(bool on);

  HINSTANCE instance_;
  HWND hwnd_ = nullptr;
  HFONT font_ = nullptr;
  int dpi_ = 96;

 private:
  struct Placed {
    int id;
    RECT twips;  // left, top, width, height
    unsigned anchor;
  };
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void Begin(HWND hwnd);
  LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  void Rescale(int dpi, const RECT& suggested);
  void MakeFont();
  // The controls at their design places, moved and grown by their anchors
  // as far as the client area exceeds the design size.
  void LayOut();
  void KeepFocus(WPARAM activation);
  void RestoreFocus();

  std::vector<Placed> placed_;
  // A top-level window's client area as designed, in twips.
  SIZE design_{0, 0};
  // The control that had the keyboard when the window was last deactivated.
  HWND focus_ = nullptr;
  bool dialog_ = false;
  bool modal_ = false;
  int defaultId_ = 0;
  int cancelId_ = 0;
  bool waitPointer_ = false;
};

}  // namespace winui
