// The Win32 side of the platform interfaces against the real system calls
// (under Wine in CI): file search and listing, the safe replacement of a
// read-only file, the shell's copy and rename, registry reads of every
// type, the settings' location, and the program's manifest.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "manager/core/RuntimeError.h"
#include "manager/win32/platform/Win32Platform.h"

namespace {

std::string TempFolder(const std::string& name) {
  char base[MAX_PATH];
  GetTempPathA(MAX_PATH, base);
  std::string folder = AddBackslash(base) + "tunedeck-" + name;
  // Left over from an earlier run: start from an empty folder.
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

void Write(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class Win32Files : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = TempFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
  }
  std::string In(const std::string& name) const { return folder + "\\" + name; }
  std::string folder;
  Win32FileSystem fs;
};

TEST_F(Win32Files, FileExistsIsTrueForFilesFoldersAndMatchingPatterns) {
  Write(In("anthem.str"), "x");
  EXPECT_TRUE(FileExists(fs, In("anthem.str")));
  EXPECT_TRUE(FileExists(fs, folder));
  EXPECT_TRUE(FileExists(fs, In("*.str")));
  EXPECT_FALSE(FileExists(fs, In("*.wav")));
  EXPECT_FALSE(FileExists(fs, ""));
}

TEST_F(Win32Files, ListingGivesVisibleFileNamesOnlyAndAMissingFolderIsPathNotFound) {
  Write(In("b.str"), "");
  Write(In("a.str"), "");
  Write(In("music.inf"), "");
  CreateDirectoryA(In("dir.str").c_str(), nullptr);
  Write(In("hidden.str"), "");
  SetFileAttributesA(In("hidden.str").c_str(), FILE_ATTRIBUTE_HIDDEN);
  // Under Wine the attribute needs a file system with extended attributes.
  if (!(GetFileAttributesA(In("hidden.str").c_str()) & FILE_ATTRIBUTE_HIDDEN)) DeleteFileA(In("hidden.str").c_str());
  std::vector<std::string> names = fs.ListFiles(folder + "\\", "*.str");
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"a.str", "b.str"}));
  try {
    fs.ListFiles(In("missing") + "\\", "*.str");
    FAIL() << "a missing folder must be an error";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.Number, ErrPathNotFound);
  }
}

TEST_F(Win32Files, ReadingAMissingFileIsFileNotFound) {
  try {
    fs.ReadAll(In("music.inf"));
    FAIL();
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.Number, ErrFileNotFound);
  }
}

TEST_F(Win32Files, AReadOnlyFileIsReplacedByAWritableOne) {
  Write(In("music.inf"), "old");
  SetFileAttributesA(In("music.inf").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  fs.WriteAll(In("music.inf.tmp"), {'n', 'e', 'w'});
  fs.SetNormalAttributes(In("music.inf"));
  fs.ReplaceWith(In("music.inf.tmp"), In("music.inf"));
  EXPECT_EQ(Read(In("music.inf")), "new");
  EXPECT_FALSE(FileExists(fs, In("music.inf.tmp")));
  DWORD attributes = GetFileAttributesA(In("music.inf").c_str());
  EXPECT_EQ(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), 0u);
}

TEST_F(Win32Files, ShellCopiesSeveralSourcesAndRenames) {
  Write(In("a.wav"), "A");
  Write(In("b.wav"), "B");
  CreateDirectoryA(In("out").c_str(), nullptr);
  ASSERT_TRUE(CopyFiles(fs, std::vector<std::string>{In("a.wav"), In("b.wav")}, In("out"), false,
                        true, false));
  EXPECT_EQ(Read(In("out\\a.wav")), "A");
  EXPECT_EQ(Read(In("out\\b.wav")), "B");
  ASSERT_TRUE(RenameFiles(fs, In("a.wav"), In("new.str"), false, false));
  EXPECT_EQ(Read(In("new.str")), "A");
  EXPECT_FALSE(FileExists(fs, In("a.wav")));
  EXPECT_FALSE(CopyFiles(fs, In("nothing.wav"), In("out"), false, true, false));
}

TEST(Win32Errors, MapToTheRuntimeErrorNumbers) {
  EXPECT_EQ(ErrorNumberFor(ERROR_FILE_NOT_FOUND), 53);
  EXPECT_EQ(ErrorNumberFor(ERROR_PATH_NOT_FOUND), 76);
  EXPECT_EQ(ErrorNumberFor(ERROR_DISK_FULL), 61);
  EXPECT_EQ(ErrorNumberFor(ERROR_SHARING_VIOLATION), 70);
  EXPECT_EQ(ErrorNumberFor(ERROR_ACCESS_DENIED), 75);
}

class Win32RegistryRead : public ::testing::Test {
 protected:
  static constexpr const char* Key = "Software\\Kickora\\tunedeck-tests";
  void SetUp() override {
    RegCreateKeyExA(HKEY_CURRENT_USER, Key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
  }
  void TearDown() override {
    RegCloseKey(key_);
    RegDeleteKeyA(HKEY_CURRENT_USER, Key);
  }
  void Set(const char* name, DWORD type, const void* data, DWORD size) {
    RegSetValueExA(key_, name, 0, type, static_cast<const BYTE*>(data), size);
  }
  RegistryValue Read(const char* name, int32_t* type = nullptr) {
    cRegistry reg(api_);
    reg.ClassKey = HKEY_CURRENT_USER_VALUE;
    reg.SectionKey = Key;
    reg.ValueKey = name;
    RegistryValue value = reg.Value();
    if (type) *type = reg.ValueType;
    return value;
  }
  HKEY key_ = nullptr;
  Win32Registry api_;
};

TEST_F(Win32RegistryRead, ReadsEveryValueType) {
  Set("Path", REG_SZ, "C:\\Games", 9);
  Set("Expand", REG_EXPAND_SZ, "%SystemRoot%\\x", 15);
  const uint8_t big[4] = {0, 0, 1, 2};
  Set("Big", REG_DWORD_BIG_ENDIAN, big, 4);
  DWORD number = 258;
  Set("Number", REG_DWORD, &number, 4);
  const uint8_t bytes[3] = {7, 8, 9};
  Set("Bytes", REG_BINARY, bytes, 3);

  int32_t type = 0;
  EXPECT_EQ(Read("Path", &type), RegistryValue(std::string("C:\\Games")));
  EXPECT_EQ(type, REG_SZ_TYPE);
  char root[MAX_PATH];
  GetEnvironmentVariableA("SystemRoot", root, MAX_PATH);
  EXPECT_EQ(Read("Expand"), RegistryValue(std::string(root) + "\\x"));
  EXPECT_EQ(Read("Big"), RegistryValue(int32_t{258}));
  EXPECT_EQ(Read("Number"), RegistryValue(int32_t{258}));
  EXPECT_EQ(Read("Bytes"), RegistryValue(std::vector<uint8_t>{7, 8, 9, 0}));
  EXPECT_EQ(Read("Missing"), RegistryValue());
}

TEST(Win32SettingsStore, KeepsSettingsUnderVbAndVbaProgramSettings) {
  Win32Settings settings;
  const char* app = "Kickora tunedeck tests";
  EXPECT_EQ(settings.GetSetting(app, "Settings", "Fifapath", "none"), "none");
  settings.SaveSetting(app, "Settings", "Fifapath", "D:\\FIFA 2001");
  EXPECT_EQ(settings.GetSetting(app, "Settings", "Fifapath", ""), "D:\\FIFA 2001");
  char value[MAX_PATH] = {};
  DWORD size = sizeof value;
  EXPECT_EQ(RegGetValueA(HKEY_CURRENT_USER,
                         "Software\\VB and VBA Program Settings\\Kickora tunedeck tests\\Settings",
                         "Fifapath", RRF_RT_REG_SZ, nullptr, value, &size),
            ERROR_SUCCESS);
  EXPECT_STREQ(value, "D:\\FIFA 2001");
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\VB and VBA Program Settings\\Kickora tunedeck tests\\Settings");
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\VB and VBA Program Settings\\Kickora tunedeck tests");
}

TEST(CommandLine, IsTheTextAfterTheProgramNameAsItStands) {
  EXPECT_EQ(CommandLineArguments("\"C:\\Program Files\\tunedeck.exe\" D:\\FIFA 2001"), "D:\\FIFA 2001");
  EXPECT_EQ(CommandLineArguments("tunedeck.exe \"D:\\FIFA\""), "\"D:\\FIFA\"");
  EXPECT_EQ(CommandLineArguments("tunedeck.exe"), "");
  EXPECT_EQ(CommandLineArguments("\"tunedeck.exe\""), "");
}

TEST(ProgramFolder, HasNoTrailingBackslash) {
  std::string folder = ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), '\\');
  EXPECT_TRUE(FileExists(*std::make_unique<Win32FileSystem>(), folder));
}

// The manifest decides how Windows treats the program: Common Controls 6,
// DPI awareness, and no execution level, which keeps the file
// virtualization that the game itself gets.
TEST(Manifest, AsksForCommonControls6AndDpiAwarenessButNoExecutionLevel) {
  HMODULE program = LoadLibraryExA(TUNEDECK_PROGRAM, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(program, nullptr) << TUNEDECK_PROGRAM;
  HRSRC resource = FindResourceA(program, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  ASSERT_NE(resource, nullptr);
  const char* data = static_cast<const char*>(LockResource(LoadResource(program, resource)));
  std::string manifest(data, SizeofResource(program, resource));
  FreeLibrary(program);
  // Only the markup counts, not what its comments say.
  for (size_t open; (open = manifest.find("<!--")) != std::string::npos;)
    manifest.erase(open, manifest.find("-->", open) + 3 - open);
  EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
  EXPECT_NE(manifest.find("<dpiAware"), std::string::npos);
  EXPECT_EQ(manifest.find("requestedExecutionLevel"), std::string::npos);
  EXPECT_EQ(manifest.find("requestedPrivileges"), std::string::npos);
}

}  // namespace
