#include "program_files.h"

#include <windows.h>

#include <fstream>
#include <iterator>

#include "tests/manager/gui/gui_files.h"

namespace program_files {

namespace {

unsigned long long Fnv1a(const std::string& bytes) {
  unsigned long long hash = 1469598103934665603ull;
  for (unsigned char c : bytes) hash = (hash ^ c) * 1099511628211ull;
  return hash;
}

// Every file under folder, by its path relative to folder (ANSI calls, so
// that names outside ASCII come back as the programs see them).
void ListInto(const std::string& folder, const std::string& prefix, bool withBytes, Listing& out) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    const std::string path = folder + "\\" + name;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      out[prefix + name + "\\"] = {};
      ListInto(path, prefix + name + "\\", withBytes, out);
    } else {
      FileMark mark{(static_cast<unsigned long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow, 0};
      if (withBytes) mark.hash = Fnv1a(gui_files::ReadBytes(path));
      out[prefix + name] = mark;
    }
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

}  // namespace

Listing List(const std::string& folder, bool withBytes) {
  Listing listing;
  ListInto(folder, "", withBytes, listing);
  return listing;
}

std::vector<std::string> Names(const Listing& listing) {
  std::vector<std::string> names;
  for (const auto& entry : listing) names.push_back(entry.first);
  return names;
}

std::string TempFolder() {
  char temp[MAX_PATH + 1] = {};
  GetTempPathA(MAX_PATH, temp);
  return temp;
}

std::string FileVersion(const std::string& path) {
  DWORD ignored = 0;
  std::vector<char> block(GetFileVersionInfoSizeA(path.c_str(), &ignored));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT size = 0;
  if (block.empty() || !GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()) ||
      !VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &size) || !fixed)
    return "";
  return std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionMS)) +
         "." + std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionLS));
}

std::string Manifest(const std::string& path) {
  HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return "";
  std::string text;
  if (HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24))) {  // RT_MANIFEST
    if (HGLOBAL loaded = LoadResource(module, found))
      text.assign(static_cast<const char*>(LockResource(loaded)), SizeofResource(module, found));
  }
  FreeLibrary(module);
  return text;
}

}  // namespace program_files
