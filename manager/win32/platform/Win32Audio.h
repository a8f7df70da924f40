// The song player's platform side: a WAV file streamed to the sound device
// through waveOut, and the Yes/No question.
#pragma once

#include <windows.h>

#include <mmsystem.h>

#include <algorithm>
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "manager/core/RemoveSong.h"
#include "manager/core/SongPlayer.h"

// Plays through the wave mapper with CALLBACK_WINDOW: the device posts
// MM_WOM_DONE to a message-only window of ours for every buffer it has
// played, and that buffer is filled again from the file. No thread, no
// timer, no polling: between two buffers the program sleeps in its message
// loop. ended runs, from that loop, once the last buffer has played.
class Win32WaveOut : public IAudioOutput {
 public:
  explicit Win32WaveOut(std::function<void()> ended);
  ~Win32WaveOut() override;
  Win32WaveOut(const Win32WaveOut&) = delete;
  Win32WaveOut& operator=(const Win32WaveOut&) = delete;

  AudioStart Play(const std::string& wavPath) override;
  void Stop() override;

 private:
  struct Buffer {
    WAVEHDR header{};
    std::vector<char> bytes;
    bool queued = false;
  };
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void OnDone(HWAVEOUT device, WAVEHDR* header);
  // Reads the next piece of the song into the buffer and gives it to the
  // device; false at the end of the song or when the device refuses it.
  bool Queue(Buffer& buffer);
  bool AnyQueued() const;
  void Finish();

  std::function<void()> ended_;
  HWND window_ = nullptr;
  HWAVEOUT device_ = nullptr;
  HANDLE file_ = INVALID_HANDLE_VALUE;
  uint64_t remaining_ = 0;  // bytes of the data chunk not read yet
  std::array<Buffer, 4> buffers_;
};

// MessageBoxA with Yes and No, the question icon and No the default.
class Win32Question : public IQuestion {
 public:
  explicit Win32Question(std::function<HWND()> owner) : owner_(std::move(owner)) {}
  bool AskYesNo(const std::string& text, const std::string& title) override;

 private:
  std::function<HWND()> owner_;
};
