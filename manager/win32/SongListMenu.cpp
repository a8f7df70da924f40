#include "manager/win32/SongListMenu.h"

#include <commctrl.h>
#include <windowsx.h>

namespace {

constexpr UINT_PTR SubclassId = 1;

enum MenuId : UINT { IdPlay = 1, IdStop, IdExport, IdDelete, IdOpenFolder };

void AddItem(HMENU menu, UINT id, const char* caption, bool enabled) {
  AppendMenuA(menu, MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED), id, caption);
}

// Where the keyboard's menu opens: below the selected item's text, or at
// the list's top left corner when none is selected.
POINT KeyboardMenuPoint(HWND list) {
  POINT at{0, 0};
  int index = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  if (index >= 0) {
    SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), FALSE);
    RECT item{};
    item.left = LVIR_LABEL;
    if (SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)))
      at = {item.left, item.bottom};
  }
  ClientToScreen(list, &at);
  return at;
}

}  // namespace

SongListMenu::SongListMenu(HWND main, HWND listView, HWND label, frmMain& form, IMainView& view,
                           Platform& platform)
    : main_(main),
      list_(listView),
      label_(label),
      audio_([this] { commands_.PlaybackEnded(); }),
      question_([this] { return main_; }),
      commands_(form, view, platform, audio_, question_, *this) {
  SetWindowSubclass(list_, ListProc, SubclassId, reinterpret_cast<DWORD_PTR>(this));
}

SongListMenu::~SongListMenu() {
  commands_.Close();
  if (IsWindow(list_)) RemoveWindowSubclass(list_, ListProc, SubclassId);
}

void SongListMenu::SetPlayingText(const std::string& text) {
  if (IsWindow(label_)) SetWindowTextA(label_, text.c_str());
}

bool SongListMenu::OnKey(WPARAM key) {
  switch (key) {
    case VK_RETURN: commands_.Enter(); return true;
    case VK_ESCAPE: commands_.Escape(); return true;
    case VK_DELETE: commands_.Delete(); return true;
    case 'A': {
      // Ctrl+A selects every song, as lists of files do.
      if (!(GetKeyState(VK_CONTROL) & 0x8000)) return false;
      LVITEMA item{};
      item.mask = LVIF_STATE;
      item.state = item.stateMask = LVIS_SELECTED;
      SendMessageA(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
      return true;
    }
    default: return false;
  }
}

void SongListMenu::ShowMenu(LPARAM at) {
  POINT point{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
  if (point.x == -1 && point.y == -1) point = KeyboardMenuPoint(list_);
  const SongMenuState state = commands_.MenuState();
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  AddItem(menu, IdPlay, "&Play", state.play);
  AddItem(menu, IdStop, "&Stop", state.stop);
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AddItem(menu, IdExport, "&Export...", state.exportSong);
  AddItem(menu, IdDelete, "&Delete...", state.remove);
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AddItem(menu, IdOpenFolder, "Open music &folder", state.openFolder);
  UINT chosen = static_cast<UINT>(TrackPopupMenu(
      menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN, point.x, point.y, 0, main_, nullptr));
  DestroyMenu(menu);
  switch (chosen) {
    case IdPlay: commands_.Choose(SongMenuCommand::Play); break;
    case IdStop: commands_.Choose(SongMenuCommand::Stop); break;
    case IdExport: commands_.Choose(SongMenuCommand::Export); break;
    case IdDelete: commands_.Choose(SongMenuCommand::Delete); break;
    case IdOpenFolder: commands_.Choose(SongMenuCommand::OpenFolder); break;
    default: break;
  }
}

LRESULT CALLBACK SongListMenu::ListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR, DWORD_PTR data) {
  auto* self = reinterpret_cast<SongListMenu*>(data);
  switch (message) {
    case WM_GETDLGCODE: {
      // Enter and Esc belong to the list, not to the window's dialog keys.
      const MSG* key = reinterpret_cast<const MSG*>(lParam);
      LRESULT code = DefSubclassProc(hwnd, message, wParam, lParam);
      if (key && (key->message == WM_KEYDOWN || key->message == WM_CHAR) &&
          (key->wParam == VK_RETURN || key->wParam == VK_ESCAPE))
        code |= DLGC_WANTMESSAGE;
      return code;
    }
    case WM_KEYDOWN:
      if (self->OnKey(wParam) || wParam == VK_APPS) return 0;
      break;
    // The menu key and Shift+F10 open the menu here, once: the keys do not
    // reach the default handling, which would open it a second time.
    case WM_KEYUP:
      if (wParam != VK_APPS) break;
      self->ShowMenu(static_cast<LPARAM>(-1));
      return 0;
    case WM_SYSKEYDOWN:
      if (wParam != VK_F10 || !(GetKeyState(VK_SHIFT) & 0x8000)) break;
      self->ShowMenu(static_cast<LPARAM>(-1));
      return 0;
    case WM_SYSKEYUP:
      if (wParam == VK_F10 && (GetKeyState(VK_SHIFT) & 0x8000)) return 0;
      break;
    case WM_CHAR:
      if (wParam == '\r' || wParam == 0x1B) return 0;  // no beep for the keys handled above
      break;
    case WM_CONTEXTMENU:
      self->ShowMenu(lParam);
      return 0;
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, ListProc, SubclassId);
      break;
    default: break;
  }
  return DefSubclassProc(hwnd, message, wParam, lParam);
}
