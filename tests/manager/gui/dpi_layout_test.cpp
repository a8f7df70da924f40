// The windows of both programs at 96 and at 144 DPI. The test runs itself
// twice with --measure, once with each LogPixels in this prefix: each run
// opens the main window, the make-new-song dialog, the export dialog, the
// About box and the importer's window in-process (so that their controls'
// fonts can be measured) and writes every control's place. At 144 DPI each
// place is to be 1.5 times the one at 96 within a pixel, and at both no
// caption may be wider than its control.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "common/win32/Dpi.h"
#include "importer/win32/TunegrabWindow.h"
#include "manager/win32/FrmAddNew.h"
#include "manager/win32/FrmExport.h"
#include "manager/win32/frmAbout.h"
#include "manager/win32/frmMain.h"
#include "manager/win32/platform/Win32Platform.h"

namespace {

// ---- The measuring run ----

std::string TextOf(HWND window) {
  char text[1024] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

// The caption as drawn: "&&" is "&", a single "&" underlines the next letter.
std::string Drawn(const std::string& caption, bool prefixes) {
  if (!prefixes) return caption;
  std::string drawn;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) ++i;
    drawn += caption[i];
  }
  return drawn;
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::stringstream in(text);
  for (std::string part; std::getline(in, part, separator);) parts.push_back(part);
  return parts;
}

// How much of the control's width its text may use, and whether it wraps;
// 0 for controls without a caption of their own.
struct TextRoom {
  int width = 0;
  bool wraps = false;
  bool prefixes = true;
};

TextRoom RoomFor(HWND control, int dpi) {
  char className[64] = {};
  GetClassNameA(control, className, sizeof className);
  const LONG style = GetWindowLongA(control, GWL_STYLE);
  RECT client;
  GetClientRect(control, &client);
  TextRoom room;
  if (lstrcmpiA(className, "Static") == 0) {
    const LONG type = style & SS_TYPEMASK;
    if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_LEFTNOWORDWRAP) return room;
    room.width = client.right;
    room.wraps = type != SS_LEFTNOWORDWRAP && !(style & SS_ELLIPSISMASK);
    room.prefixes = !(style & SS_NOPREFIX);
  } else if (lstrcmpiA(className, "Button") == 0) {
    const LONG type = style & BS_TYPEMASK;
    if (type == BS_GROUPBOX) {
      room.width = client.right - MulDiv(16, dpi, 96);  // the frame's ends on either side
    } else if (type == BS_AUTOCHECKBOX || type == BS_CHECKBOX) {
      room.width = client.right - MulDiv(13 + 4, dpi, 96);  // the box and its gap
    } else {
      room.width = client.right - MulDiv(6, dpi, 96);  // the raised edge
      room.wraps = (style & BS_MULTILINE) != 0;
    }
  }
  return room;
}

// A line "wide" for each caption that does not fit: measured with the
// control's own font. A wrapping caption must fit word by word, and its
// lines must fit the control's height.
int captionsChecked = 0;

void CheckCaption(std::ostream& out, const char* window, HWND control, int dpi) {
  const TextRoom room = RoomFor(control, dpi);
  const std::string caption = TextOf(control);
  if (room.width <= 0 || caption.empty()) return;
  ++captionsChecked;
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
  const std::string drawn = Drawn(caption, room.prefixes);
  for (const std::string& piece : Split(drawn, room.wraps ? '\n' : '\0')) {
    for (const std::string& part : room.wraps ? Split(piece, ' ') : std::vector<std::string>{piece}) {
      SIZE size{};
      GetTextExtentPoint32A(dc, part.c_str(), static_cast<int>(part.size()), &size);
      if (size.cx > room.width)
        out << "wide " << window << ' ' << GetDlgCtrlID(control) << ' ' << size.cx << ' ' << room.width << ' '
            << part << '\n';
    }
  }
  if (room.wraps) {
    RECT client, needed;
    GetClientRect(control, &client);
    needed = client;
    needed.right = room.width;
    DrawTextA(dc, drawn.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    if (needed.bottom > client.bottom)
      out << "tall " << window << ' ' << GetDlgCtrlID(control) << ' ' << needed.bottom << ' ' << client.bottom
          << ' ' << drawn << '\n';
  }
  SelectObject(dc, old);
  ReleaseDC(control, dc);
}

// "client <window> <width> <height>", then "rect <window> <id> <l> <t> <r> <b>"
// for each control, in the window's client coordinates.
void Measure(std::ostream& out, const char* window, HWND form) {
  RECT client;
  GetClientRect(form, &client);
  out << "client " << window << ' ' << client.right << ' ' << client.bottom << '\n';
  for (HWND control = GetWindow(form, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&r), 2);
    out << "rect " << window << ' ' << GetDlgCtrlID(control) << ' ' << r.left << ' ' << r.top << ' ' << r.right
        << ' ' << r.bottom << '\n';
    CheckCaption(out, window, control, winui::WindowDpi(form));
  }
}

// A modal dialog is measured from inside its own loop, then closed.
struct ModalVisit {
  winui::Form* form;
  const char* name;
  std::ostream* out;
} visit;

void CALLBACK MeasureModal(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  Measure(*visit.out, visit.name, visit.form->hwnd());
  EndDialog(visit.form->hwnd(), 0);
}

void ShowAndMeasure(winui::Form& form, const char* name, HWND owner, std::ostream& out) {
  visit = {&form, name, &out};
  SetTimer(nullptr, 0, 100, MeasureModal);
  form.ShowModal(owner);
}

int MeasureAll(const char* path) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  std::ofstream out(path);
  out << "dpi " << winui::ScreenDpi() << '\n';

  if (!frmMainWindow::RegisterWindowClass(instance)) return 1;
  frmMainWindow main(instance);
  if (!main.Create()) return 1;
  Measure(out, "main", main.hwnd());

  FrmAddNewWindow addNew(instance);
  ShowAndMeasure(addNew, "addnew", main.hwnd(), out);

  Win32FileSystem fs;
  Win32Registry registry;
  Win32Settings settings;
  Win32FileDialogs dialogs;
  Win32MessageSink messages([&main] { return main.hwnd(); });
  Win32Shell shell;
  Win32ProcessRunner processes;
  Win32ScratchFolders scratch;
  Platform platform{fs, registry, settings, dialogs, messages, shell, ProgramFolder(), "", processes, scratch};
  frmAboutWindow about(instance, platform, ProgramVersion{});
  ShowAndMeasure(about, "about", main.hwnd(), out);
  FrmExportWindow exportWindow(instance, platform);
  exportWindow.Show(main.hwnd());
  Measure(out, "export", exportWindow.hwnd());

  if (!TunegrabWindow::RegisterWindowClass(instance)) return 1;
  TunegrabWindow importer(instance);
  if (!importer.Create()) return 1;
  Measure(out, "tunegrab", importer.hwnd());
  out << "captions " << captionsChecked << '\n';
  return out.good() ? 0 : 1;
}

// ---- The test ----

struct Layout {
  int dpi = 0;
  int captions = 0;  // how many were measured
  std::map<std::string, std::vector<int>> places;  // "main 1002" -> l t r b; "main" -> width height
  std::vector<std::string> misfits;                // the "wide" and "tall" lines
};

const char* const DesktopKey = "Control Panel\\Desktop";

// Runs this program with --measure at dpi and reads what it wrote.
Layout MeasuredAt(DWORD dpi) {
  HKEY key;
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, DesktopKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
  RegCloseKey(key);

  char self[MAX_PATH] = {}, temp[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  GetTempPathA(MAX_PATH, temp);
  const std::string path = std::string(temp) + "dpi-layout-" + std::to_string(dpi) + ".txt";
  DeleteFileA(path.c_str());
  std::string line = "\"";
  line.append(self).append("\" --measure \"").append(path).append("\"");
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  Layout layout;
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    ADD_FAILURE() << "cannot start " << line;
    return layout;
  }
  const bool ended = WaitForSingleObject(info.hProcess, 120000) == WAIT_OBJECT_0;
  if (!ended) TerminateProcess(info.hProcess, 1);
  DWORD code = 1;
  GetExitCodeProcess(info.hProcess, &code);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  EXPECT_TRUE(ended && code == 0) << "the measuring run at " << dpi << " DPI failed";

  std::ifstream in(path);
  for (std::string text; std::getline(in, text);) {
    std::istringstream fields(text);
    std::string kind, window;
    fields >> kind;
    if (kind == "dpi") {
      fields >> layout.dpi;
    } else if (kind == "captions") {
      fields >> layout.captions;
    } else if (kind == "client" || kind == "rect") {
      std::string id;
      fields >> window;
      if (kind == "rect") fields >> id;
      std::vector<int>& place = layout.places[kind == "rect" ? window + " " + id : window];
      for (int value; fields >> value;) place.push_back(value);
    } else if (kind == "wide" || kind == "tall") {
      layout.misfits.push_back(text + " (at " + std::to_string(dpi) + " DPI)");
    }
  }
  return layout;
}

class DpiLayout : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    at96_ = MeasuredAt(96);
    at144_ = MeasuredAt(144);
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, DesktopKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
      RegDeleteValueA(key, "LogPixels");
      RegCloseKey(key);
    }
  }
  static Layout at96_, at144_;
};

Layout DpiLayout::at96_, DpiLayout::at144_;

TEST_F(DpiLayout, EveryControlOfEveryWindowIsOneAndAHalfTimesAsLargeAt144Dpi) {
  ASSERT_EQ(at96_.dpi, 96);
  ASSERT_EQ(at144_.dpi, 144) << "Wine took no LogPixels from the prefix";
  for (const char* window : {"main", "addnew", "export", "about", "tunegrab"})
    EXPECT_EQ(at96_.places.count(window), 1u) << window << " was not measured";
  EXPECT_GT(at96_.places.size(), 60u);
  EXPECT_EQ(at96_.places.size(), at144_.places.size()) << "the same controls at both sizes";
  for (const auto& [name, small] : at96_.places) {
    const auto large = at144_.places.find(name);
    ASSERT_NE(large, at144_.places.end()) << name << " is missing at 144 DPI";
    ASSERT_EQ(large->second.size(), small.size()) << name;
    for (size_t i = 0; i < small.size(); ++i)
      EXPECT_LE(std::abs(large->second[i] - 1.5 * small[i]), 1.0)
          << name << " edge " << i << ": " << small[i] << " at 96 DPI, " << large->second[i] << " at 144";
  }
}

TEST_F(DpiLayout, NoCaptionIsWiderThanItsControl) {
  // Every window's buttons and labels with a text: 40 of them.
  EXPECT_GE(at96_.captions, 40);
  EXPECT_EQ(at144_.captions, at96_.captions);
  std::vector<std::string> misfits = at96_.misfits;
  misfits.insert(misfits.end(), at144_.misfits.begin(), at144_.misfits.end());
  EXPECT_EQ(misfits, std::vector<std::string>{}) << "window id needed room caption";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--measure") return MeasureAll(argv[2]);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
