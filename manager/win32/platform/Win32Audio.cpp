#include "manager/win32/platform/Win32Audio.h"

#include "manager/core/WavLayout.h"

namespace {

constexpr const char* WindowClass = "KickoraTunedeckWaveOut";
// Posted to our own window when a song without any sound "ends" at once.
constexpr UINT WM_SONG_EMPTY = WM_APP + 1;
// The data chunk's header must lie in the file's first bytes.
constexpr DWORD HeadBytes = 64 * 1024;

bool RegisterOnce(HINSTANCE instance) {
  static bool registered = [instance] {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = instance;
    wc.lpszClassName = WindowClass;
    return RegisterClassExA(&wc) != 0;
  }();
  return registered;
}

}  // namespace

Win32WaveOut::Win32WaveOut(std::function<void()> ended) : ended_(std::move(ended)) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  if (!RegisterOnce(instance)) return;
  window_ = CreateWindowExA(0, WindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
  if (!window_) return;
  SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WindowProc));
}

Win32WaveOut::~Win32WaveOut() {
  Stop();
  if (window_) DestroyWindow(window_);
}

LRESULT CALLBACK Win32WaveOut::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<Win32WaveOut*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (self && message == MM_WOM_DONE) {
    self->OnDone(reinterpret_cast<HWAVEOUT>(wParam), reinterpret_cast<WAVEHDR*>(lParam));
    return 0;
  }
  if (self && message == WM_SONG_EMPTY) {
    if (self->device_ && !self->AnyQueued()) self->Finish();
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

AudioStart Win32WaveOut::Play(const std::string& wavPath) {
  Stop();
  if (!window_) return AudioStart::Failed;
  file_ = CreateFileA(wavPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                      FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file_ == INVALID_HANDLE_VALUE) return AudioStart::Failed;
  LARGE_INTEGER size{};
  std::vector<uint8_t> head(HeadBytes);
  DWORD got = 0;
  if (!GetFileSizeEx(file_, &size) || !ReadFile(file_, head.data(), HeadBytes, &got, nullptr)) {
    Stop();
    return AudioStart::Failed;
  }
  head.resize(got);
  std::optional<WavLayout> layout = FindWavLayout(head, static_cast<uint64_t>(size.QuadPart));
  LARGE_INTEGER start{};
  if (layout) start.QuadPart = static_cast<LONGLONG>(layout->dataOffset);
  if (!layout || !SetFilePointerEx(file_, start, nullptr, FILE_BEGIN)) {
    Stop();
    return AudioStart::Failed;
  }
  remaining_ = layout->dataBytes;

  if (waveOutGetNumDevs() == 0) {
    Stop();
    return AudioStart::NoDevice;
  }
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = layout->channels;
  format.nSamplesPerSec = layout->rate;
  format.nAvgBytesPerSec = layout->byteRate;
  format.nBlockAlign = layout->blockAlign;
  format.wBitsPerSample = layout->bits;
  MMRESULT opened = waveOutOpen(&device_, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(window_),
                                0, CALLBACK_WINDOW);
  if (opened != MMSYSERR_NOERROR) {
    device_ = nullptr;
    Stop();
    return opened == MMSYSERR_BADDEVICEID || opened == MMSYSERR_NODRIVER ? AudioStart::NoDevice
                                                                         : AudioStart::Failed;
  }
  // Four buffers of a quarter of a second each: the first sound leaves at
  // once, and the device always has the next piece in hand.
  const size_t piece = std::max<size_t>(layout->blockAlign,
                                        layout->byteRate / 4 / layout->blockAlign * layout->blockAlign);
  for (Buffer& buffer : buffers_) buffer.bytes.resize(piece);
  bool first = Queue(buffers_[0]);
  if (!first && remaining_ > 0) {
    Stop();
    return AudioStart::Failed;
  }
  for (size_t i = 1; first && i < buffers_.size(); ++i) Queue(buffers_[i]);
  if (!first) PostMessageA(window_, WM_SONG_EMPTY, 0, 0);
  return AudioStart::Started;
}

bool Win32WaveOut::Queue(Buffer& buffer) {
  if (!device_ || remaining_ == 0 || file_ == INVALID_HANDLE_VALUE) return false;
  const DWORD want = static_cast<DWORD>(std::min<uint64_t>(buffer.bytes.size(), remaining_));
  DWORD got = 0;
  if (!ReadFile(file_, buffer.bytes.data(), want, &got, nullptr) || got == 0) {
    remaining_ = 0;
    return false;
  }
  remaining_ -= got;
  buffer.header = WAVEHDR{};
  buffer.header.lpData = buffer.bytes.data();
  buffer.header.dwBufferLength = got;
  if (waveOutPrepareHeader(device_, &buffer.header, sizeof buffer.header) != MMSYSERR_NOERROR)
    return false;
  if (waveOutWrite(device_, &buffer.header, sizeof buffer.header) != MMSYSERR_NOERROR) {
    waveOutUnprepareHeader(device_, &buffer.header, sizeof buffer.header);
    return false;
  }
  buffer.queued = true;
  return true;
}

bool Win32WaveOut::AnyQueued() const {
  for (const Buffer& buffer : buffers_)
    if (buffer.queued) return true;
  return false;
}

void Win32WaveOut::OnDone(HWAVEOUT device, WAVEHDR* header) {
  // A buffer of a device that was stopped since, or the word for a buffer
  // that was written again meanwhile, is passed over.
  if (!device_ || device != device_) return;
  for (Buffer& buffer : buffers_) {
    if (&buffer.header != header || !buffer.queued || !(header->dwFlags & WHDR_DONE)) continue;
    buffer.queued = false;
    waveOutUnprepareHeader(device_, &buffer.header, sizeof buffer.header);
    Queue(buffer);
  }
  if (!AnyQueued()) Finish();
}

void Win32WaveOut::Finish() {
  Stop();
  if (ended_) ended_();
}

void Win32WaveOut::Stop() {
  if (device_) {
    waveOutReset(device_);
    for (Buffer& buffer : buffers_) {
      if (buffer.header.dwFlags & WHDR_PREPARED)
        waveOutUnprepareHeader(device_, &buffer.header, sizeof buffer.header);
      buffer.queued = false;
    }
    waveOutClose(device_);
    device_ = nullptr;
  }
  if (file_ != INVALID_HANDLE_VALUE) {
    CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
  }
  remaining_ = 0;
}

bool Win32Question::AskYesNo(const std::string& text, const std::string& title) {
  return MessageBoxA(owner_ ? owner_() : nullptr, text.c_str(), title.c_str(),
                     MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}
