#include "manager/core/cRegistry.h"

#include <cstring>

int32_t cRegistry::SwapEndian(int32_t value) {
  uint32_t v = static_cast<uint32_t>(value);
  return static_cast<int32_t>((v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24));
}

RegistryValue cRegistry::Value() {
  uintptr_t key = 0;
  if (api_.OpenKey(ClassKey, SectionKey, key) != ERROR_SUCCESS_CODE) return Default;

  RegistryValue result = Default;
  uint32_t type = 0;
  uint32_t size = 0;
  long status = api_.QueryValue(key, ValueKey, type, nullptr, size);
  if (status == ERROR_SUCCESS_CODE || status == ERROR_MORE_DATA_CODE) {
    ValueType = static_cast<int32_t>(type);
    // One spare byte keeps a text without its terminator readable and
    // leaves the byte array's last element 0.
    std::vector<uint8_t> data(size + 1, 0);
    uint32_t read = size;
    if (size > 0) api_.QueryValue(key, ValueKey, type, data.data(), read);
    switch (ValueType) {
      case REG_SZ_TYPE:
      case REG_MULTI_SZ_TYPE:
      case REG_EXPAND_SZ_TYPE: {
        std::string text(reinterpret_cast<const char*>(data.data()), size);
        if (!text.empty() && text.back() == '\0') text.pop_back();
        result = ValueType == REG_EXPAND_SZ_TYPE ? ExpandEnvStr(text) : text;
        break;
      }
      case REG_DWORD_TYPE:
      case REG_DWORD_BIG_ENDIAN_TYPE: {
        int32_t number = 0;
        std::memcpy(&number, data.data(), size < 4 ? size : 4);
        result = ValueType == REG_DWORD_TYPE ? number : SwapEndian(number);
        break;
      }
      default:
        result = data;
        break;
    }
  }
  api_.CloseKey(key);
  return result;
}

std::string RegistryValueText(const RegistryValue& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  if (const auto* number = std::get_if<int32_t>(&value)) return std::to_string(*number);
  if (const auto* bytes = std::get_if<std::vector<uint8_t>>(&value)) {
    std::string text;
    for (uint8_t b : *bytes) {
      if (b == 0) break;
      text += static_cast<char>(b);
    }
    return text;
  }
  return "";
}
