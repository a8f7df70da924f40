#include "manager/core/frmAbout.h"

#include <cstdio>

#include "manager/core/frmMain.h"

std::string VersionLine(const ProgramVersion& version) {
  return "Version " + std::to_string(version.major) + "." + std::to_string(version.minor) + "." +
         std::to_string(version.revision);
}

bool GetKeyValue(IRegistryApi& registry, uint32_t root, const std::string& keyPath,
                 const std::string& valueName, std::string& result) {
  result.clear();
  uintptr_t key = 0;
  // Read access only: a standard user may not open these keys for more.
  if (registry.OpenKey(root, keyPath, key) != ERROR_SUCCESS_CODE) return false;
  uint8_t buffer[KeyValueBufferBytes] = {};
  uint32_t type = 0;
  uint32_t size = sizeof buffer;
  long status = registry.QueryValue(key, valueName, type, buffer, size);
  registry.CloseKey(key);
  if (status != ERROR_SUCCESS_CODE || size > sizeof buffer) return false;

  if (type == static_cast<uint32_t>(REG_SZ_TYPE)) {
    if (size > 0 && buffer[size - 1] == 0) --size;
    result.assign(reinterpret_cast<const char*>(buffer), size);
    // A value written without its NUL may still hold one: the text ends there.
    result = result.substr(0, result.find('\0'));
  } else if (type == static_cast<uint32_t>(REG_DWORD_TYPE) && size == 4) {
    uint32_t value = static_cast<uint32_t>(buffer[0]) | static_cast<uint32_t>(buffer[1]) << 8 |
                     static_cast<uint32_t>(buffer[2]) << 16 | static_cast<uint32_t>(buffer[3]) << 24;
    char hex[16];
    std::snprintf(hex, sizeof hex, "&h%X", static_cast<unsigned>(value));
    result = hex;
  }
  return true;
}

std::vector<BandLine> GrayBand(int width, int offset) {
  std::vector<BandLine> lines;
  int k = 1;
  for (int v = 150; v >= 60; --v, ++k)
    lines.push_back({k * width / 90 - offset, static_cast<uint8_t>(255 - v)});
  return lines;
}

void frmAbout::Form_Load() {
  view_.SetCaption(std::string("About ") + ProgramTitle);
  view_.SetLblVersion(VersionLine(version_));
}

void frmAbout::cmdOK_Click() { view_.Unload(); }

void frmAbout::cmdSysInfo_Click() { StartSysInfo(); }

void frmAbout::StartSysInfo() {
  std::string path;
  // A registered path counts only when it names a file that is there.
  bool found = GetKeyValue(platform_.registry, HKEY_LOCAL_MACHINE_VALUE, MsInfoKey, "PATH", path) &&
               !path.empty() && FileExists(platform_.fs, path);
  if (!found &&
      GetKeyValue(platform_.registry, HKEY_LOCAL_MACHINE_VALUE, MsInfoLocationKey, "MSINFO", path) &&
      !path.empty()) {
    path = AddBackslash(path) + "MSINFO32.EXE";
    found = FileExists(platform_.fs, path);
  }
  if (found && platform_.processes.Start(Quoted(path), SW_SHOWNORMAL_STATE)) return;
  platform_.messages.Show("System information not available at the moment", MessageIcon::None);
}

void frmAbout::Label2_Click() {
  platform_.shell.OpenDocument(view_.Hwnd(), std::string("mailto:") + MakerEmail);
}

void frmAbout::Image1_Click() { platform_.shell.OpenDocument(view_.Hwnd(), MakerWebSite); }

void frmAbout::picIcon_Click() { platform_.shell.OpenDocument(view_.Hwnd(), MakerWebSite); }

void frmAbout::Picture1_Click() { platform_.shell.OpenDocument(view_.Hwnd(), PartnerWebSite); }

void frmAbout::Label2_MouseMove() { view_.SetLabel2Underline(true); }

void frmAbout::Form_MouseMove() { view_.SetLabel2Underline(false); }
