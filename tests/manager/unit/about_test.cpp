// The About box's decisions against fakes: the version line, the registry
// reading of the system information tool's place, what is started, and
// the gray band.
#include <gtest/gtest.h>

#include "fakes.h"
#include "manager/core/frmAbout.h"

namespace {

class FakeAboutView : public IAboutView {
 public:
  std::string caption, version;
  std::vector<bool> underline;
  int unloads = 0;
  intptr_t Hwnd() override { return 0x99; }
  void SetCaption(const std::string& text) override { caption = text; }
  void SetLblVersion(const std::string& text) override { version = text; }
  void SetLabel2Underline(bool on) override { underline.push_back(on); }
  void Unload() override { ++unloads; }
};

class About : public ::testing::Test, protected FakePlatform<> {
 protected:
  About() : FakePlatform<>("C:\\K"), form(view, platform, ProgramVersion{1, 10, 15}) {}

  void SetDword(uint32_t root, const std::string& path, const std::string& name, uint32_t value) {
    registry.keys[{root, path}][name] = {
        static_cast<uint32_t>(REG_DWORD_TYPE),
        {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
         static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)}};
  }
  std::string Read(const std::string& path, const std::string& name, bool* found = nullptr) {
    std::string text = "stale";
    bool ok = GetKeyValue(registry, HKEY_LOCAL_MACHINE_VALUE, path, name, text);
    if (found) *found = ok;
    return text;
  }

  FakeAboutView view;
  frmAbout form;
};

TEST_F(About, LoadShowsTheCaptionAndTheVersionLine) {
  form.Form_Load();
  EXPECT_EQ(view.caption, "About Kickora Music Manager");
  EXPECT_EQ(view.version, "Version 1.10.15");
  EXPECT_EQ(VersionLine({2, 0, 7}), "Version 2.0.7");
  form.cmdOK_Click();
  EXPECT_EQ(view.unloads, 1);
}

TEST_F(About, GetKeyValueReadsTextsAndDwordsAndClosesTheKey) {
  registry.SetString(HKEY_LOCAL_MACHINE_VALUE, "K", "text", "C:\\a b\\x.exe");
  registry.keys[{HKEY_LOCAL_MACHINE_VALUE, "K"}]["unterminated"] = {REG_SZ_TYPE, Bytes("abc")};
  SetDword(HKEY_LOCAL_MACHINE_VALUE, "K", "small", 0x00001234);  // its last byte is 0
  SetDword(HKEY_LOCAL_MACHINE_VALUE, "K", "big", 0xA0B00C0D);
  SetDword(HKEY_LOCAL_MACHINE_VALUE, "K", "zero", 0);
  registry.keys[{HKEY_LOCAL_MACHINE_VALUE, "K"}]["huge"] = {REG_SZ_TYPE, Bytes(std::string(2000, 'x'))};
  bool found = false;
  EXPECT_EQ(Read("K", "text", &found), "C:\\a b\\x.exe");
  EXPECT_TRUE(found);
  EXPECT_EQ(Read("K", "unterminated"), "abc");
  EXPECT_EQ(Read("K", "small"), "&h1234");
  EXPECT_EQ(Read("K", "big"), "&hA0B00C0D");
  EXPECT_EQ(Read("K", "zero"), "&h0");
  for (auto [path, name] : {std::pair{"K", "missing"}, {"No key", "text"}, {"K", "huge"}}) {
    EXPECT_EQ(Read(path, name, &found), "") << name;
    EXPECT_FALSE(found) << name;
  }
  EXPECT_EQ(registry.openKeys, 0);
}

TEST_F(About, SysInfoStartsTheRegisteredToolThatIsThere) {
  const std::string tool = "C:\\Program Files\\Common Files\\Microsoft Shared\\MSInfo\\msinfo32.exe";
  registry.SetString(HKEY_LOCAL_MACHINE_VALUE, MsInfoKey, "PATH", tool);
  fs.AddFile(tool);
  form.cmdSysInfo_Click();
  ASSERT_EQ(processes.calls.size(), 1u);
  EXPECT_EQ(processes.calls[0].commandLine, "\"" + tool + "\"");
  EXPECT_EQ(processes.calls[0].showState, 1);
  EXPECT_FALSE(processes.calls[0].waited);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(About, APathNamingNoFileFallsBackToTheToolsLocation) {
  registry.SetString(HKEY_LOCAL_MACHINE_VALUE, MsInfoKey, "PATH", "C:\\gone\\msinfo32.exe");
  registry.SetString(HKEY_LOCAL_MACHINE_VALUE, MsInfoLocationKey, "MSINFO", "D:\\Shared Tools");
  fs.AddFile("D:\\Shared Tools\\MSINFO32.EXE");
  form.StartSysInfo();
  ASSERT_EQ(processes.calls.size(), 1u);
  EXPECT_EQ(processes.calls[0].commandLine, "\"D:\\Shared Tools\\MSINFO32.EXE\"");
}

TEST_F(About, NoToolOrOneThatWillNotStartIsReportedWithoutIcon) {
  registry.SetString(HKEY_LOCAL_MACHINE_VALUE, MsInfoKey, "PATH", "C:\\gone\\msinfo32.exe");
  registry.SetString(HKEY_LOCAL_MACHINE_VALUE, MsInfoLocationKey, "MSINFO", "D:\\Empty");
  form.StartSysInfo();
  EXPECT_TRUE(processes.calls.empty());
  fs.AddFile("C:\\gone\\msinfo32.exe");
  processes.startSucceeds = false;
  form.StartSysInfo();
  EXPECT_EQ(processes.calls.size(), 1u);
  ASSERT_EQ(messages.shown.size(), 2u);
  for (const auto& message : messages.shown) {
    EXPECT_EQ(message.text, "System information not available at the moment");
    EXPECT_EQ(message.icon, MessageIcon::None);
  }
}

TEST_F(About, LinksOpenTheMakersAndPartnersAddresses) {
  form.Label2_Click();
  form.Image1_Click();
  form.picIcon_Click();
  form.Picture1_Click();
  EXPECT_EQ(shell.opened, (std::vector<std::string>{"mailto:developers@kickora.example",
                                                    "https://kickora.example/", "https://kickora.example/",
                                                    "https://pitchsounds.example/"}));
  form.Label2_MouseMove();
  form.Form_MouseMove();
  EXPECT_EQ(view.underline, (std::vector<bool>{true, false}));
}

TEST(GrayBand, NinetyOneLinesLighteningFromLeftToRight) {
  auto lines = GrayBand(9000, 35);
  ASSERT_EQ(lines.size(), 91u);
  EXPECT_EQ(lines.front().x, 100 - 35);
  EXPECT_EQ(lines.front().gray, 105);
  EXPECT_EQ(lines[89].x, 9000 - 35);
  EXPECT_EQ(lines.back().x, 9100 - 35);
  EXPECT_EQ(lines.back().gray, 195);
  for (size_t i = 1; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].gray, lines[i - 1].gray + 1);
    EXPECT_GT(lines[i].x, lines[i - 1].x);
  }
}

}  // namespace
