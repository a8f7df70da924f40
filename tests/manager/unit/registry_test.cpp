// cRegistry's Value read: every value type, the default, the key's release.
#include <gtest/gtest.h>

#include "fakes.h"

namespace {

const std::string Key = "Software\\Kickora\\Test";

class RegistryValueRead : public ::testing::Test {
 protected:
  RegistryValue Read(const std::string& name) {
    cRegistry reg(api);
    reg.ClassKey = HKEY_CURRENT_USER_VALUE;
    reg.SectionKey = Key;
    reg.ValueKey = name;
    reg.ValueType = -7;
    RegistryValue value = reg.Value();
    lastType = reg.ValueType;
    return value;
  }
  FakeRegistry api;
  int32_t lastType = 0;
};

TEST_F(RegistryValueRead, TextComesBackWithoutItsTerminator) {
  api.SetString(HKEY_CURRENT_USER_VALUE, Key, "Path", "C:\\Games");
  EXPECT_EQ(Read("Path"), RegistryValue(std::string("C:\\Games")));
  EXPECT_EQ(lastType, REG_SZ_TYPE);
  EXPECT_EQ(api.openKeys, 0);
}

TEST_F(RegistryValueRead, EmptyAndDefaultValuesAreRead) {
  api.keys[{HKEY_CURRENT_USER_VALUE, Key}][""] = {REG_SZ_TYPE, {}};
  EXPECT_EQ(Read(""), RegistryValue(std::string()));
}

TEST_F(RegistryValueRead, ExpandableTextIsExpanded) {
  api.environment["SystemRoot"] = "C:\\windows";
  api.SetString(HKEY_CURRENT_USER_VALUE, Key, "X", "%SystemRoot%\\x", REG_EXPAND_SZ_TYPE);
  EXPECT_EQ(Read("X"), RegistryValue(std::string("C:\\windows\\x")));
  EXPECT_EQ(lastType, REG_EXPAND_SZ_TYPE);
}

TEST_F(RegistryValueRead, MultiStringsKeepTheirInnerSeparators) {
  api.keys[{HKEY_CURRENT_USER_VALUE, Key}]["M"] = {REG_MULTI_SZ_TYPE, Bytes(std::string("a\0b\0\0", 5))};
  EXPECT_EQ(Read("M"), RegistryValue(std::string("a\0b\0", 4)));
}

TEST_F(RegistryValueRead, NumbersInBothByteOrders) {
  api.keys[{HKEY_CURRENT_USER_VALUE, Key}]["D"] = {REG_DWORD_TYPE, {0x02, 0x01, 0, 0}};
  api.keys[{HKEY_CURRENT_USER_VALUE, Key}]["B"] = {REG_DWORD_BIG_ENDIAN_TYPE, {0, 0, 0x01, 0x02}};
  EXPECT_EQ(Read("D"), RegistryValue(int32_t{258}));
  EXPECT_EQ(Read("B"), RegistryValue(int32_t{258}));
  EXPECT_EQ(lastType, REG_DWORD_BIG_ENDIAN_TYPE);
}

TEST_F(RegistryValueRead, OtherTypesAreBytesWithOneSpareZero) {
  api.keys[{HKEY_CURRENT_USER_VALUE, Key}]["Bin"] = {REG_BINARY_TYPE, {1, 2, 3}};
  EXPECT_EQ(Read("Bin"), RegistryValue(std::vector<uint8_t>{1, 2, 3, 0}));
  EXPECT_EQ(lastType, REG_BINARY_TYPE);
}

TEST_F(RegistryValueRead, MissingKeyOrValueGivesTheDefaultAndKeepsTheType) {
  EXPECT_EQ(Read("Path"), RegistryValue());
  EXPECT_EQ(lastType, -7);
  api.SetString(HKEY_CURRENT_USER_VALUE, Key, "Other", "x");
  cRegistry reg(api);
  reg.ClassKey = HKEY_CURRENT_USER_VALUE;
  reg.SectionKey = Key;
  reg.ValueKey = "Path";
  reg.Default = std::string("fallback");
  EXPECT_EQ(reg.Value(), RegistryValue(std::string("fallback")));
  EXPECT_EQ(api.openKeys, 0);
}

TEST(RegistryValueText, ConvertsEveryKindToText) {
  EXPECT_EQ(RegistryValueText(RegistryValue()), "");
  EXPECT_EQ(RegistryValueText(RegistryValue(std::string("C:\\G"))), "C:\\G");
  EXPECT_EQ(RegistryValueText(RegistryValue(int32_t{-3})), "-3");
  EXPECT_EQ(RegistryValueText(RegistryValue(std::vector<uint8_t>{'C', ':', 0, 'x'})), "C:");
}

}  // namespace
