// The help file from both Help buttons, and the About box, driven from
// outside under a real window system (Wine and Xvfb in CI).
#include "program_folder_gui.h"

#include "kickora_version.h"

namespace {

using namespace program_folder_gui;

class AboutAndHelp : public ProgramFolderGui {
 protected:
  // Text files open with the stand-in, which notes what it was given.
  std::string RegisterTextHandler() {
    const std::string record = root + "\\opened.txt";
    SetEnvironmentVariableA("STAND_IN_RECORD", record.c_str());
    EXPECT_EQ(driver::Run("reg.exe add \"" + TextClassKey + "\" /ve /d KickoraTestText /f"), 0u);
    EXPECT_EQ(driver::Run("reg.exe add \"" + TextHandlerKey + "\\shell\\open\\command\" /ve /d \"\\\"" +
                          Backslashed(STAND_IN_PROGRAM) + "\\\" \\\"%1\\\"\" /f"),
              0u);
    return record;
  }
  static void ClickAndWait(HWND button) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_NORMAL, 20000, &ignored);
  }
};

TEST_F(AboutAndHelp, BothHelpButtonsOpenTheReadmeAndNothingOpensWithoutIt) {
  const std::string record = RegisterTextHandler();
  HWND main = StartProgram();
  ASSERT_NE(main, nullptr);
  const std::string readme = programFolder + "\\readme.txt";
  ClickAndWait(GetDlgItem(main, IDC_COMMAND5));
  ASSERT_TRUE(driver::WaitFor([&] { return ReadBytes(record).find(readme) != std::string::npos; }))
      << ReadBytes(record);
  HWND dialog = OpenExport(main, 0);
  ASSERT_NE(dialog, nullptr);
  ClickAndWait(GetDlgItem(dialog, IDC_EXPORT_COMMAND4));
  ASSERT_TRUE(driver::WaitFor([&] {
    const std::string runs = ReadBytes(record);
    return std::count(runs.begin(), runs.end(), '\n') == 2;
  }));

  ASSERT_TRUE(DeleteFileA(record.c_str()));
  ASSERT_TRUE(DeleteFileA(readme.c_str()));
  ClickAndWait(GetDlgItem(main, IDC_COMMAND5));
  ClickAndWait(GetDlgItem(dialog, IDC_EXPORT_COMMAND4));
  Sleep(2000);  // time for a handler to start, had one been started
  EXPECT_FALSE(Exists(record));
  EXPECT_EQ(program->Windows().size(), 2u) << "no message, no other window";
}

TEST_F(AboutAndHelp, AboutShowsTheVersionAndClosesWithOkEnterAndEsc) {
  HWND main = StartProgram();
  ASSERT_NE(main, nullptr);
  const std::string aboutTitle = "About Kickora Music Manager";
  for (int way = 0; way < 3; ++way) {
    SCOPED_TRACE(way);
    driver::Click(GetDlgItem(main, IDC_COMMAND3));
    HWND about = program->WaitForDialog(aboutTitle);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(driver::WindowText(GetDlgItem(about, IDC_ABOUT_LBLVERSION)), "Version " KICKORA_VERSION);
    EXPECT_EQ(driver::WindowText(GetDlgItem(about, IDC_ABOUT_CMDOK)), "OK");
    EXPECT_EQ(driver::WindowText(GetDlgItem(about, IDC_ABOUT_CMDSYSINFO)), "&System Info...");
    EXPECT_FALSE(IsWindowEnabled(main)) << "modal";
    HWND ok = GetDlgItem(about, IDC_ABOUT_CMDOK);
    if (way == 0) driver::Click(ok);
    if (way == 1) driver::PressKey(ok, VK_RETURN);
    if (way == 2) driver::PressKey(ok, VK_ESCAPE);
    EXPECT_TRUE(driver::WaitFor([&] { return !IsWindow(about); }));
    EXPECT_TRUE(driver::WaitFor([&] { return IsWindowEnabled(main) != FALSE; }));
  }
}

TEST_F(AboutAndHelp, SystemInfoStartsTheRegisteredToolOrSaysItIsNotAvailable) {
  const std::string msinfo = "HKLM\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
  const std::string location = "HKLM\\SOFTWARE\\Microsoft\\Shared Tools Location";
  driver::Run("reg.exe delete \"" + msinfo + "\" /f");
  driver::Run("reg.exe delete \"" + location + "\" /f");
  HWND main = StartProgram();
  ASSERT_NE(main, nullptr);
  driver::Click(GetDlgItem(main, IDC_COMMAND3));
  HWND about = program->WaitForDialog("About Kickora Music Manager");
  ASSERT_NE(about, nullptr);
  driver::Click(GetDlgItem(about, IDC_ABOUT_CMDSYSINFO));
  ExpectMessage("System information not available at the moment", BoxIcon::None);
  EXPECT_TRUE(IsWindow(about));

  // Registered: the tool starts (here the stand-in, which notes its start).
  const std::string record = root + "\\sysinfo.txt";
  SetEnvironmentVariableA("STAND_IN_RECORD", record.c_str());
  program.reset();
  ASSERT_EQ(driver::Run("reg.exe add \"" + msinfo + "\" /v PATH /d \"" STAND_IN_PROGRAM "\" /f"), 0u);
  main = StartProgram();
  ASSERT_NE(main, nullptr);
  driver::Click(GetDlgItem(main, IDC_COMMAND3));
  about = program->WaitForDialog("About Kickora Music Manager");
  ASSERT_NE(about, nullptr);
  driver::Click(GetDlgItem(about, IDC_ABOUT_CMDSYSINFO));
  EXPECT_TRUE(driver::WaitFor([&] { return Exists(record); }));
  EXPECT_EQ(program->Windows().size(), 2u) << "no message";
  driver::Run("reg.exe delete \"" + msinfo + "\" /f");
}

}  // namespace
