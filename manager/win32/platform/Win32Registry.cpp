#include <vector>

#include "manager/win32/platform/Win32Platform.h"

long Win32Registry::OpenKey(uint32_t root, const std::string& path, uintptr_t& key) {
  HKEY opened = nullptr;
  LONG status = RegOpenKeyExA(reinterpret_cast<HKEY>(static_cast<uintptr_t>(root)), path.c_str(), 0,
                              KEY_QUERY_VALUE, &opened);
  key = reinterpret_cast<uintptr_t>(opened);
  return status;
}

long Win32Registry::QueryValue(uintptr_t key, const std::string& name, uint32_t& type,
                               uint8_t* data, uint32_t& size) {
  DWORD valueType = 0;
  DWORD valueSize = size;
  LONG status = RegQueryValueExA(reinterpret_cast<HKEY>(key), name.c_str(), nullptr, &valueType,
                                 data, &valueSize);
  type = valueType;
  size = valueSize;
  return status;
}

void Win32Registry::CloseKey(uintptr_t key) { RegCloseKey(reinterpret_cast<HKEY>(key)); }

std::string Win32Registry::ExpandEnvironment(const std::string& text) {
  DWORD needed = ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
  if (needed == 0) return text;
  std::vector<char> buffer(needed + 1, '\0');
  ExpandEnvironmentStringsA(text.c_str(), buffer.data(), needed);
  return buffer.data();
}

std::string Win32Settings::GetSetting(const std::string& app, const std::string& section,
                                      const std::string& key, const std::string& defaultValue) {
  Win32Registry api;
  cRegistry reg(api);
  reg.ClassKey = HKEY_CURRENT_USER_VALUE;
  reg.SectionKey = std::string(Root) + app + "\\" + section;
  reg.ValueKey = key;
  reg.Default = defaultValue;
  return RegistryValueText(reg.Value());
}

void Win32Settings::SaveSetting(const std::string& app, const std::string& section,
                                const std::string& key, const std::string& value) {
  HKEY opened = nullptr;
  std::string path = std::string(Root) + app + "\\" + section;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE, nullptr, &opened, nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExA(opened, key.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
  RegCloseKey(opened);
}
