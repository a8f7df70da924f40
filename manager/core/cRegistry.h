// Reads one registry value at a time: set the root, the key path and the
// value name, then read Value. Only the read is needed by the manager, so
// the writing and enumerating members are not built.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

constexpr uint32_t HKEY_CLASSES_ROOT_VALUE = 0x80000000u;
constexpr uint32_t HKEY_CURRENT_USER_VALUE = 0x80000001u;
constexpr uint32_t HKEY_LOCAL_MACHINE_VALUE = 0x80000002u;
constexpr uint32_t HKEY_USERS_VALUE = 0x80000003u;

constexpr int32_t REG_NONE_TYPE = 0;
constexpr int32_t REG_SZ_TYPE = 1;
constexpr int32_t REG_EXPAND_SZ_TYPE = 2;
constexpr int32_t REG_BINARY_TYPE = 3;
constexpr int32_t REG_DWORD_TYPE = 4;
constexpr int32_t REG_DWORD_BIG_ENDIAN_TYPE = 5;
constexpr int32_t REG_MULTI_SZ_TYPE = 7;

constexpr long ERROR_SUCCESS_CODE = 0;
constexpr long ERROR_MORE_DATA_CODE = 234;

// A value as the registry hands it back: nothing, text, a 32-bit number or
// the bytes of any other type.
using RegistryValue = std::variant<std::monostate, std::string, int32_t, std::vector<uint8_t>>;

// The few registry calls the reader makes, so that it can be tested without
// a registry.
class IRegistryApi {
 public:
  virtual ~IRegistryApi() = default;
  // RegOpenKeyExA with KEY_QUERY_VALUE; returns an error code.
  virtual long OpenKey(uint32_t root, const std::string& path, uintptr_t& key) = 0;
  // RegQueryValueExA: data null asks only for the type and size.
  virtual long QueryValue(uintptr_t key, const std::string& name, uint32_t& type, uint8_t* data,
                          uint32_t& size) = 0;
  virtual void CloseKey(uintptr_t key) = 0;
  // %NAME% references replaced by the environment's values.
  virtual std::string ExpandEnvironment(const std::string& text) = 0;
};

class cRegistry {
 public:
  explicit cRegistry(IRegistryApi& api) : api_(api) {}

  uint32_t ClassKey = 0;
  std::string SectionKey;
  std::string ValueKey;
  int32_t ValueType = 0;
  RegistryValue Default;

  // The value, or Default when it cannot be read (ValueType then unchanged).
  RegistryValue Value();

 private:
  static int32_t SwapEndian(int32_t value);
  std::string ExpandEnvStr(const std::string& text) { return api_.ExpandEnvironment(text); }

  IRegistryApi& api_;
};

// A value converted to text the way the start-up takes it: nothing is "",
// numbers are decimal, bytes are read as characters up to the first NUL.
std::string RegistryValueText(const RegistryValue& value);
