#include "driver.h"

#include <commctrl.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <thread>

#include "manager/win32/resource.h"

namespace driver {

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    if (condition()) return true;
    std::this_thread::sleep_for(50ms);
  }
  return condition();
}

namespace {

HANDLE NulHandle(DWORD access) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileA("NUL", access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                     nullptr);
}

std::string ClassOf(HWND window) {
  char name[256] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

struct Search {
  DWORD pid;
  bool visibleOnly;
  std::vector<HWND> found;
};

BOOL CALLBACK Collect(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<Search*>(parameter);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == search->pid && (!search->visibleOnly || IsWindowVisible(window)))
    search->found.push_back(window);
  return TRUE;
}

std::vector<HWND> TopWindows(DWORD pid, bool visibleOnly) {
  Search search{pid, visibleOnly, {}};
  EnumWindows(Collect, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Memory in another process, released again when it goes out of scope.
class RemoteBuffer {
 public:
  RemoteBuffer(HWND owner, size_t size) : size_(size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(owner, &pid);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  }
  ~RemoteBuffer() {
    VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    CloseHandle(process_);
  }
  char* At(size_t offset) const { return static_cast<char*>(address_) + offset; }
  void Put(size_t offset, const void* data, size_t size) {
    WriteProcessMemory(process_, At(offset), data, size, nullptr);
  }
  void Get(size_t offset, void* data, size_t size) const {
    ReadProcessMemory(process_, At(offset), data, size, nullptr);
  }

 private:
  HANDLE process_;
  void* address_;
  size_t size_;
};

// What a window shows on the screen, as 32-bit pixels (blue, green, red).
std::vector<uint32_t> ScreenPixels(HWND window) {
  RECT rect;
  GetWindowRect(window, &rect);
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  std::vector<uint32_t> pixels;
  if (width <= 0 || height <= 0) return pixels;
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = width;
  format.bmiHeader.biHeight = -height;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP canvas = CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, canvas);
  if (BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY)) {
    GdiFlush();
    const uint32_t* p = static_cast<const uint32_t*>(bits);
    pixels.assign(p, p + width * height);
  }
  SelectObject(memory, old);
  DeleteObject(canvas);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

}  // namespace

Program::Program(const std::string& exe, const std::string& arguments, const std::string& folder) {
  std::string commandLine = "\"" + exe + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = NulHandle(GENERIC_READ);
  startup.hStdOutput = NulHandle(GENERIC_WRITE);
  startup.hStdError = NulHandle(GENERIC_WRITE);
  CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                 folder.empty() ? nullptr : folder.c_str(), &startup, &info_);
  CloseHandle(startup.hStdInput);
  CloseHandle(startup.hStdOutput);
  CloseHandle(startup.hStdError);
}

Program::~Program() {
  if (!info_.hProcess) return;
  if (!HasExited()) {
    TerminateProcess(info_.hProcess, 1);
    WaitForSingleObject(info_.hProcess, 5000);
  }
  CloseHandle(info_.hThread);
  CloseHandle(info_.hProcess);
}

bool Program::HasExited() const {
  return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_OBJECT_0;
}

bool Program::WaitForExit(std::chrono::milliseconds limit) {
  return info_.hProcess &&
         WaitForSingleObject(info_.hProcess, static_cast<DWORD>(limit.count())) == WAIT_OBJECT_0;
}

std::vector<HWND> Program::Windows() const { return TopWindows(Pid(), true); }

HWND Program::MainWindow() const {
  for (HWND window : TopWindows(Pid(), false))
    if (ClassOf(window) == TUNEDECK_WINDOW_CLASS) return window;
  return nullptr;
}

HWND Program::WaitForMainWindow() {
  HWND found = nullptr;
  WaitFor([&] {
    found = MainWindow();
    return found && IsWindowVisible(found);
  });
  return found && IsWindowVisible(found) ? found : nullptr;
}

HWND Program::WaitForDialog(const std::string& title) {
  HWND found = nullptr;
  WaitFor([&] {
    for (HWND window : Windows())
      if (ClassOf(window) == "#32770" && WindowText(window) == title) found = window;
    return found != nullptr;
  });
  return found;
}

HWND Program::WaitForMessageBox() {
  HWND found = nullptr;
  WaitFor([&] {
    for (HWND window : Windows())
      if (ClassOf(window) == "#32770" && GetDlgItem(window, 0xFFFF)) found = window;
    return found != nullptr || HasExited();
  });
  return found;
}

std::string WindowText(HWND window) {
  char text[1024] = {};
  SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

std::string MessageBoxText(HWND box) { return WindowText(GetDlgItem(box, 0xFFFF)); }

BoxIcon MessageBoxIcon(HWND box) {
  HWND iconControl = nullptr;
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (ClassOf(child) == "Static" && (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
        IsWindowVisible(child))
      iconControl = child;
  }
  // Wine keeps the icon control of a box without icon, showing nothing.
  if (!iconControl || !SendMessageA(iconControl, STM_GETICON, 0, 0)) return BoxIcon::None;
  // The icon's handle belongs to the other process, so it is told by its
  // colour on the screen: red stop, yellow warning, blue information.
  // A box that has just opened may not be painted yet: look until it is.
  BoxIcon kind = BoxIcon::Unknown;
  WaitFor([&] {
    int red = 0, yellow = 0, blue = 0;
    for (uint32_t pixel : ScreenPixels(iconControl)) {
      int r = (pixel >> 16) & 255, g = (pixel >> 8) & 255, b = pixel & 255;
      if (r > 150 && g < 110 && b < 110) ++red;
      else if (r > 180 && g > 140 && b < 110) ++yellow;
      else if (b > 120 && r < 110 && b > g) ++blue;
    }
    const int least = 40;
    if (red >= least && red >= yellow && red >= blue) kind = BoxIcon::Error;
    else if (yellow >= least && yellow >= blue) kind = BoxIcon::Warning;
    else if (blue >= least) kind = BoxIcon::Information;
    return kind != BoxIcon::Unknown;
  }, 5s);
  return kind;
}

bool HasButton(HWND dialog, int id) { return GetDlgItem(dialog, id) != nullptr; }

void Press(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void Click(HWND button) { PostMessageA(button, BM_CLICK, 0, 0); }

namespace {

// The text of one column of an item of another process's list view.
std::string ItemText(HWND listView, RemoteBuffer& remote, int index, int column) {
  LVITEMA item{};
  item.iSubItem = column;
  item.cchTextMax = MAX_PATH;
  item.pszText = remote.At(sizeof(LVITEMA));
  remote.Put(0, &item, sizeof item);
  SendMessageA(listView, LVM_GETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(remote.At(0)));
  char text[MAX_PATH + 1] = {};
  remote.Get(sizeof(LVITEMA), text, MAX_PATH);
  return text;
}

}  // namespace

std::vector<ListItem> ReadList(HWND listView) {
  std::vector<ListItem> items;
  int count = static_cast<int>(SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0));
  RemoteBuffer remote(listView, sizeof(LVITEMA) + MAX_PATH);
  for (int i = 0; i < count; ++i) {
    unsigned state =
        static_cast<unsigned>(SendMessageA(listView, LVM_GETITEMSTATE, i, LVIS_STATEIMAGEMASK));
    items.push_back({ItemText(listView, remote, i, 0), (state & 0x2000) != 0});
  }
  return items;
}

std::vector<std::string> ReadColumn(HWND listView, int column) {
  std::vector<std::string> texts;
  int count = static_cast<int>(SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0));
  RemoteBuffer remote(listView, sizeof(LVITEMA) + MAX_PATH);
  for (int i = 0; i < count; ++i) texts.push_back(ItemText(listView, remote, i, column));
  return texts;
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

void ClickCheckBox(HWND listView, int index) {
  RemoteBuffer remote(listView, sizeof(RECT));
  RECT rect{};
  rect.left = LVIR_BOUNDS;
  remote.Put(0, &rect, sizeof rect);
  SendMessageA(listView, LVM_GETITEMRECT, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(remote.At(0)));
  remote.Get(0, &rect, sizeof rect);
  // The check box is the state image at the item's left edge.
  int x = rect.left + GetSystemMetrics(SM_CXSMICON) / 2 + 2;
  int y = (rect.top + rect.bottom) / 2;
  SendMessageA(listView, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  SendMessageA(listView, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void Select(HWND listView, int index) {
  RemoteBuffer remote(listView, sizeof(LVITEMA));
  LVITEMA item{};
  item.mask = LVIF_STATE;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  remote.Put(0, &item, sizeof item);
  SendMessageA(listView, LVM_SETITEMSTATE, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(remote.At(0)));
}

void SelectOnly(HWND listView, const std::vector<int>& indexes) {
  RemoteBuffer remote(listView, sizeof(LVITEMA));
  LVITEMA item{};
  item.mask = LVIF_STATE;
  item.stateMask = LVIS_SELECTED;
  remote.Put(0, &item, sizeof item);
  SendMessageA(listView, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(remote.At(0)));
  for (int index : indexes) Select(listView, index);
}

bool SetFileName(HWND dialog, const std::string& path) {
  // The box is an edit inside a combo box inside a ComboBoxEx, all 1148;
  // Wine's item dialog (the folder picker) has a plain edit, 1152.
  HWND box = GetDlgItem(dialog, 1148);
  if (!box) box = GetDlgItem(dialog, 1152);
  if (!box) return false;
  for (HWND inner = box; inner;) {
    box = inner;
    inner = GetWindow(inner, GW_CHILD);
  }
  SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  return WindowText(box) == path;
}

std::string ReadSetting(const std::string& app, const std::string& section, const std::string& key) {
  std::string path = "Software\\VB and VBA Program Settings\\" + app + "\\" + section;
  char value[MAX_PATH] = {};
  DWORD size = sizeof value;
  if (RegGetValueA(HKEY_CURRENT_USER, path.c_str(), key.c_str(), RRF_RT_REG_SZ, nullptr, value,
                   &size) != ERROR_SUCCESS)
    return "";
  return value;
}

DWORD Run(const std::string& commandLine) { return RunIn(commandLine, ""); }

DWORD RunIn(const std::string& commandLine, const std::string& folder) {
  std::string line = commandLine;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = NulHandle(GENERIC_READ);
  startup.hStdOutput = NulHandle(GENERIC_WRITE);
  startup.hStdError = NulHandle(GENERIC_WRITE);
  PROCESS_INFORMATION info{};
  DWORD code = 0xFFFFFFFF;
  if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                     folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
    WaitForSingleObject(info.hProcess, 60000);
    GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
  CloseHandle(startup.hStdInput);
  CloseHandle(startup.hStdOutput);
  CloseHandle(startup.hStdError);
  return code;
}

void SetText(HWND control, const std::string& text) {
  SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void PressKey(HWND window, UINT key) {
  const UINT scan = MapVirtualKeyA(key, MAPVK_VK_TO_VSC);
  PostMessageA(window, WM_KEYDOWN, key, 1 | scan << 16);
  PostMessageA(window, WM_KEYUP, key, 1 | scan << 16 | 0xC0000000u);
}

bool DropFiles(HWND target, const std::vector<std::string>& paths) {
  std::string block(sizeof(DROPFILES), '\0');
  auto* header = reinterpret_cast<DROPFILES*>(block.data());
  header->pFiles = sizeof(DROPFILES);
  header->fWide = FALSE;
  for (const std::string& path : paths) block += path + '\0';
  block += '\0';
  // Explorer's drop reaches a program as a WM_DROPFILES whose block Windows
  // has copied into the program's memory. Wine copies no such block across
  // processes, so the driver puts it there itself: a fixed block, which is
  // its own handle for DragQueryFile.
  DWORD pid = 0;
  GetWindowThreadProcessId(target, &pid);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return false;
  void* remote = VirtualAllocEx(process, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  const bool written = remote && WriteProcessMemory(process, remote, block.data(), block.size(), nullptr);
  CloseHandle(process);
  return written && PostMessageA(target, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0) != 0;
}

std::vector<HWND> DialogsTitled(const Program& program, const std::string& title) {
  std::vector<HWND> found;
  for (HWND window : program.Windows())
    if (ClassOf(window) == "#32770" && WindowText(window) == title) found.push_back(window);
  return found;
}

int CountProcesses(const std::string& exeName) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  int count = 0;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (lstrcmpiA(entry.szExeFile, exeName.c_str()) == 0) ++count;
  }
  CloseHandle(snapshot);
  return count;
}

}  // namespace driver
