// A music file's title through the shell's property store: Windows' own
// readers of the tags of the formats it knows. The thread's COM apartment
// is the program's (WinMain opens it).
#include <windows.h>

#include <initguid.h>
#include <propkey.h>
#include <propsys.h>
#include <shobjidl.h>

#include "manager/win32/platform/Win32Platform.h"

namespace {

std::wstring Wide(const std::string& text) {
  const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  if (length <= 0) return L"";
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), length);
  wide.resize(static_cast<size_t>(length - 1));
  return wide;
}

std::string Utf8(const wchar_t* text) {
  const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return "";
  std::string utf8(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), length, nullptr, nullptr);
  utf8.resize(static_cast<size_t>(length - 1));
  return utf8;
}

}  // namespace

std::string Win32FileSystem::SystemTitleTag(const std::string& path) {
  IPropertyStore* store = nullptr;
  if (FAILED(SHGetPropertyStoreFromParsingName(Wide(path).c_str(), nullptr, GPS_DEFAULT,
                                               IID_PPV_ARGS(&store))) ||
      !store)
    return "";
  std::string title;
  PROPVARIANT value;
  PropVariantInit(&value);
  if (SUCCEEDED(store->GetValue(PKEY_Title, &value)) && value.vt == VT_LPWSTR && value.pwszVal)
    title = Utf8(value.pwszVal);
  PropVariantClear(&value);
  store->Release();
  return title;
}
