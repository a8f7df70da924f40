// The About box's decisions, free of any window system: the version line,
// the system information tool, the links and the gray band. The Win32 form
// forwards its events here and implements IAboutView.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "manager/core/Platform.h"

class IAboutView {
 public:
  virtual ~IAboutView() = default;
  virtual intptr_t Hwnd() = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual void SetLblVersion(const std::string& caption) = 0;
  virtual void SetLabel2Underline(bool underlined) = 0;
  virtual void Unload() = 0;
};

// The program's version as its version resource gives it.
struct ProgramVersion {
  uint16_t major = 0;
  uint16_t minor = 0;
  uint16_t revision = 0;
};

constexpr const char* MakerEmail = "developers@kickora.example";
constexpr const char* PartnerWebSite = "https://pitchsounds.example/";
constexpr const char* MsInfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr const char* MsInfoLocationKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
constexpr size_t KeyValueBufferBytes = 1024;

// "Version 1.10.15".
std::string VersionLine(const ProgramVersion& version);

// One registry value as text: a string as it stands, a REG_DWORD as "&h"
// and its hexadecimal value. False (and "") when the key or value cannot
// be read.
bool GetKeyValue(IRegistryApi& registry, uint32_t root, const std::string& keyPath,
                 const std::string& valueName, std::string& result);

// One vertical line of the gray band: its position in the picture's units
// and its gray level (red, green and blue alike).
struct BandLine {
  int x;
  uint8_t gray;
};
// The 91 lines across a picture of the given width, darkest on the left.
std::vector<BandLine> GrayBand(int width, int offset);

class frmAbout {
 public:
  frmAbout(IAboutView& view, Platform& platform, ProgramVersion version)
      : view_(view), platform_(platform), version_(version) {}

  void Form_Load();
  void cmdOK_Click();
  void cmdSysInfo_Click();
  void Label2_Click();
  void Image1_Click();
  void picIcon_Click();
  void Picture1_Click();
  // The e-mail link is underlined while the mouse is over it.
  void Label2_MouseMove();
  void Form_MouseMove();

  void StartSysInfo();

 private:
  IAboutView& view_;
  Platform& platform_;
  ProgramVersion version_;
};
