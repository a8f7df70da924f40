// What the two Media Foundation decoders share: a COM pointer that
// releases itself, and loading a library from the system folder only.
#pragma once

#include <windows.h>

template <typename T>
class Com {
 public:
  Com() = default;
  Com(const Com&) = delete;
  Com& operator=(const Com&) = delete;
  ~Com() { Reset(); }
  void Reset() {
    if (p) p->Release();
    p = nullptr;
  }
  T* operator->() const { return p; }
  T** operator&() { return &p; }
  T* p = nullptr;
};

// From the system folder only, never from the program's folder; Windows 7
// without the update that knows the flag falls back to the usual search.
inline HMODULE LoadSystemLibrary(const char* name) {
  HMODULE module = LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!module && GetLastError() == ERROR_INVALID_PARAMETER) module = LoadLibraryA(name);
  return module;
}

// An entry point of a loaded library as a function pointer of type F.
template <typename F>
F EntryPoint(HMODULE module, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}
