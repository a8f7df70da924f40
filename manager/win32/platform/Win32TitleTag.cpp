// A music file's title through the shell's property store: Windows' own
// readers of the tags of the formats it knows. The thread's COM apartment
// is the program's (WinMain opens it).
#include <windows.h>

#include <initguid.h>
#include <propkey.h>
#include <propsys.h>
#include <shobjidl.h>

#include "common/base/text_encoding.h"
#include "manager/win32/platform/Win32Platform.h"

std::string Win32FileSystem::SystemTitleTag(const std::string& utf8Path) {
  IPropertyStore* store = nullptr;
  if (FAILED(SHGetPropertyStoreFromParsingName(kickora::WideFromUtf8(utf8Path).c_str(), nullptr, GPS_DEFAULT,
                                               IID_PPV_ARGS(&store))) ||
      !store)
    return "";
  std::string title;
  PROPVARIANT value;
  PropVariantInit(&value);
  if (SUCCEEDED(store->GetValue(PKEY_Title, &value)) && value.vt == VT_LPWSTR && value.pwszVal)
    title = kickora::Utf8FromWide(value.pwszVal);
  PropVariantClear(&value);
  store->Release();
  return title;
}
