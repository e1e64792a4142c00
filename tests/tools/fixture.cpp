// Test-only Win32 program: opens ordinary top-level windows for the end-to-end tests
// to pick, pin, make translucent and close.
//
//   fixture [process options] [window options] [--title TEXT [window options]]...
//
// Each --title (or --empty-title) opens one visible overlapped window of about 300x200;
// so does a bare argument, titled with it (as a document viewer would be).
// Window options given before the first title set the default for every window; given
// after a title they apply to that window only. Without any title one window opens,
// titled "Kavolt test target".
//
// Window options:
//   --pos X Y              top-left corner in screen coordinates (default: cascaded)
//   --size W H             window size (default 300 200)
//   --class NAME           window class (default KavoltTestTarget)
//   --layered ALPHA        layered by this program: WS_EX_LAYERED with that alpha (0-255)
//   --color-key RRGGBB     a colour key (LWA_COLORKEY): with --layered as well, or alone
//                          as skinned windows have it
//   --child-button         a push button inside the window
//   --owned-chain N        N owned pop-ups: the window owns pop-up 1, which owns pop-up 2...;
//                          each has a push button and the title "TITLE owned K"
//   --hidden-owner         owned by a hidden window of its own, as frameworks that keep an
//                          application window build their main window
//   --keeps-z-order        keeps its place in the Z-order (adds SWP_NOZORDER to every
//                          move): SetWindowPos succeeds and moves it nowhere
//   --draws-itself         draws itself with UpdateLayeredWindow (per-pixel alpha) every
//                          200 ms, as shadows and toasts do; logs each failed redraw as
//                          {"pid":P,"update_layered_window_error":CODE}
//   --shell-window         registers itself as the desktop's shell window (SetShellWindow),
//                          standing in for Explorer's desktop; exit code 3 if refused
// Process options:
//   --hang-on-question     once a visible KavoltQuestionWindow exists, stop pumping
//                          messages (sleep) for --hang-seconds, then exit
//   --hang-seconds S       length of that hang (default 120)
//   --log FILE             append one JSON line per start: pid, command line, argv after the
//                          program name, current directory (UTF-8); default: env
//                          KAVOLT_FIXTURE_LOG, or no log
//   --show-after MS        the windows stay hidden, with messages handled, for MS
//                          milliseconds: ready for input long before anything shows
//   --busy-after-show MS   once the windows show, handle no message for MS milliseconds,
//                          as a program loading its document does (not long enough to
//                          count as hung)
//   --exit-at-once         log the start, then end without a window
//   --hand-over            start this program with the other options (the environment's
//                          too), then end without a window, as a launcher stub does
//   --relay                when a running --relay instance exists, ask it for a window
//                          ("Relayed") and end without one, as a browser started again
//                          does; otherwise be that instance
//   --key-opens-window     a key pressed in a window opens another ("TITLE opened") a
//                          second later, as an editor opens a document
//   --mode=ANY             ignored (a switch a registered command may pass)
//
// The environment variable KAVOLT_FIXTURE_OPTIONS holds options read before the command
// line's, for fixtures that another program starts.
//
// WM_CLOSE closes one window (with its owned pop-ups); the program exits with 0 once all
// its titled windows are closed. Exit code 2 means a bad command line.
#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "json_text.h"

namespace {

using test_tools::Json;

constexpr wchar_t kDefaultClass[] = L"KavoltTestTarget";
constexpr wchar_t kPopupClass[] = L"KavoltTestPopup";
constexpr wchar_t kQuestionClass[] = L"KavoltQuestionWindow";
constexpr wchar_t kKeepsZOrder[] = L"KavoltKeepsZOrder";
constexpr wchar_t kRelayClass[] = L"KavoltTestRelay";  // the running instance's hidden window
constexpr UINT kRelayMessage = WM_APP + 1;

struct WindowSpec {
  std::wstring title = L"Kavolt test target";
  std::optional<POINT> pos;
  SIZE size{300, 200};
  std::wstring className = kDefaultClass;
  std::optional<BYTE> alpha;
  std::optional<COLORREF> colorKey;
  bool childButton = false;
  int ownedChain = 0;
  bool hiddenOwner = false;
  bool keepsZOrder = false;
  bool drawsItself = false;
  bool shellWindow = false;
};

struct Options {
  std::vector<WindowSpec> windows;
  bool hangOnQuestion = false;
  DWORD hangSeconds = 120;
  std::wstring logPath;
  UINT showAfterMs = 0;
  DWORD busyAfterShowMs = 0;
  bool exitAtOnce = false;
  bool handOver = false;
  bool relay = false;
};

int g_openWindows = 0;
bool g_keyOpensWindow = false;
DWORD g_hangSeconds = 120;
DWORD g_busyAfterShowMs = 0;
std::wstring g_logPath;
constexpr UINT_PTR kRedrawTimer = 1;
constexpr UINT_PTR kOpenTimer = 2;

// One WriteFile on a handle opened for appending: lines of fixtures that start at the
// same time do not interleave.
void WriteLogLine(const std::string& line) {
  if (g_logPath.empty()) return;
  HANDLE file = ::CreateFileW(g_logPath.c_str(), FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  ::CloseHandle(file);
}

void LogStart(int argc, wchar_t** argv) {
  wchar_t cwd[MAX_PATH * 4] = {};
  ::GetCurrentDirectoryW(static_cast<DWORD>(std::size(cwd)), cwd);
  std::string line = "{\"pid\":" + std::to_string(::GetCurrentProcessId()) +
                     ",\"command_line\":" + Json(::GetCommandLineW()) + ",\"argv\":[";
  for (int i = 1; i < argc; ++i) line += (i > 1 ? "," : "") + Json(argv[i]);
  line += "],\"cwd\":" + Json(cwd) + "}\n";
  WriteLogLine(line);
}

// The whole window, opaque grey, drawn the way per-pixel-alpha windows draw.
void DrawLayers(HWND window) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  SIZE size{rect.right - rect.left, rect.bottom - rect.top};
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(info.bmiHeader), size.cx, -size.cy, 1, 32, BI_RGB};
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr) return;
  std::fill_n(static_cast<DWORD*>(bits), size.cx * size.cy, 0xFFA0A0A0);
  HDC memory = ::CreateCompatibleDC(nullptr);
  HGDIOBJ old = ::SelectObject(memory, bitmap);
  POINT origin{rect.left, rect.top};
  POINT source{0, 0};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  if (!::UpdateLayeredWindow(window, nullptr, &origin, &size, memory, &source, 0, &blend,
                             ULW_ALPHA)) {
    WriteLogLine("{\"pid\":" + std::to_string(::GetCurrentProcessId()) +
                 ",\"update_layered_window_error\":" + std::to_string(::GetLastError()) + "}\n");
  }
  ::SelectObject(memory, old);
  ::DeleteDC(memory);
  ::DeleteObject(bitmap);
}

// Exported by user32 but not declared by MinGW's headers.
bool BecomeShellWindow(HWND window) {
  using SetShellWindowFn = BOOL(WINAPI*)(HWND);
  const auto set = reinterpret_cast<SetShellWindowFn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "SetShellWindow")));
  return set != nullptr && set(window);
}

bool ParseInt(const wchar_t* text, long low, long high, int base, long& value) {
  wchar_t* end = nullptr;
  value = std::wcstol(text, &end, base);
  return end != text && *end == L'\0' && value >= low && value <= high;
}

// The options of KAVOLT_FIXTURE_OPTIONS, then those of the command line.
std::vector<std::wstring> Arguments(int argc, wchar_t** argv) {
  std::vector<std::wstring> arguments;
  if (const wchar_t* extra = _wgetenv(L"KAVOLT_FIXTURE_OPTIONS"); extra != nullptr && *extra) {
    int count = 0;
    if (wchar_t** split = ::CommandLineToArgvW(extra, &count)) {
      arguments.assign(split, split + count);
      ::LocalFree(split);
    }
  }
  arguments.insert(arguments.end(), argv + 1, argv + argc);
  return arguments;
}

// Returns nothing on a bad command line.
std::optional<Options> Parse(const std::vector<std::wstring>& args) {
  Options options;
  WindowSpec defaults;
  const auto current = [&]() -> WindowSpec& {
    return options.windows.empty() ? defaults : options.windows.back();
  };
  const int argc = static_cast<int>(args.size()) + 1;
  std::vector<const wchar_t*> pointers{L""};
  for (const std::wstring& arg : args) pointers.push_back(arg.c_str());
  const wchar_t* const* argv = pointers.data();
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    const auto has = [&](int count) { return i + count < argc; };
    long a = 0;
    long b = 0;
    if (arg == L"--title" && has(1)) {
      options.windows.push_back(defaults);
      options.windows.back().title = argv[++i];
    } else if (arg == L"--empty-title") {
      options.windows.push_back(defaults);
      options.windows.back().title.clear();
    } else if (arg == L"--pos" && has(2) && ParseInt(argv[i + 1], -32000, 32000, 10, a) &&
               ParseInt(argv[i + 2], -32000, 32000, 10, b)) {
      current().pos = POINT{a, b};
      i += 2;
    } else if (arg == L"--size" && has(2) && ParseInt(argv[i + 1], 1, 4000, 10, a) &&
               ParseInt(argv[i + 2], 1, 4000, 10, b)) {
      current().size = SIZE{a, b};
      i += 2;
    } else if (arg == L"--class" && has(1) && argv[i + 1][0] != L'\0') {
      current().className = argv[++i];
    } else if (arg == L"--layered" && has(1) && ParseInt(argv[i + 1], 0, 255, 10, a)) {
      current().alpha = static_cast<BYTE>(a);
      ++i;
    } else if (arg == L"--color-key" && has(1) && std::wcslen(argv[i + 1]) == 6 &&
               ParseInt(argv[i + 1], 0, 0xFFFFFF, 16, a)) {
      // RRGGBB as written by people; a COLORREF is 0x00BBGGRR.
      current().colorKey =
          static_cast<COLORREF>(((a >> 16) & 0xFF) | (a & 0xFF00) | ((a & 0xFF) << 16));
      ++i;
    } else if (arg == L"--draws-itself") {
      current().drawsItself = true;
    } else if (arg == L"--hidden-owner") {
      current().hiddenOwner = true;
    } else if (arg == L"--keeps-z-order") {
      current().keepsZOrder = true;
    } else if (arg == L"--shell-window") {
      current().shellWindow = true;
    } else if (arg == L"--child-button") {
      current().childButton = true;
    } else if (arg == L"--owned-chain" && has(1) && ParseInt(argv[i + 1], 1, 20, 10, a)) {
      current().ownedChain = static_cast<int>(a);
      ++i;
    } else if (arg == L"--hang-on-question") {
      options.hangOnQuestion = true;
    } else if (arg == L"--hang-seconds" && has(1) && ParseInt(argv[i + 1], 0, 3600, 10, a)) {
      options.hangSeconds = static_cast<DWORD>(a);
      ++i;
    } else if (arg == L"--log" && has(1)) {
      options.logPath = argv[++i];
    } else if (arg == L"--show-after" && has(1) && ParseInt(argv[i + 1], 0, 600000, 10, a)) {
      options.showAfterMs = static_cast<UINT>(a);
      ++i;
    } else if (arg == L"--busy-after-show" && has(1) && ParseInt(argv[i + 1], 0, 60000, 10, a)) {
      options.busyAfterShowMs = static_cast<DWORD>(a);
      ++i;
    } else if (arg == L"--exit-at-once") {
      options.exitAtOnce = true;
    } else if (arg == L"--hand-over") {
      options.handOver = true;
    } else if (arg == L"--relay") {
      options.relay = true;
    } else if (arg == L"--key-opens-window") {
      g_keyOpensWindow = true;
    } else if (arg.starts_with(L"--mode=")) {
      // A viewer's own switch, as a registered command passes it: ignored.
    } else if (!arg.starts_with(L"--")) {
      options.windows.push_back(defaults);
      options.windows.back().title = arg;
    } else {
      return std::nullopt;
    }
  }
  if (options.windows.empty()) options.windows.push_back(defaults);
  return options;
}

bool QuestionVisible() {
  for (HWND window = ::FindWindowExW(nullptr, nullptr, kQuestionClass, nullptr); window != nullptr;
       window = ::FindWindowExW(nullptr, window, kQuestionClass, nullptr)) {
    if (::IsWindowVisible(window)) return true;
  }
  return false;
}

// A thread timer, so that it outlives any one of the windows.
void CALLBACK HangWhenAsked(HWND, UINT, UINT_PTR, DWORD) {
  if (!QuestionVisible()) return;
  // Not responding from here on: no message of this thread is handled any more.
  ::Sleep(g_hangSeconds * 1000);
  ::ExitProcess(0);
}

// A new window of the default class, brought to the front as a program opening a
// document does.
void OpenAnother(const std::wstring& title) {
  HWND window = ::CreateWindowExW(0, kDefaultClass, title.c_str(), WS_OVERLAPPEDWINDOW, 400, 300,
                                  300, 200, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  if (window == nullptr) return;
  ++g_openWindows;
  ::ShowWindow(window, SW_SHOWNORMAL);
  ::SetForegroundWindow(window);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = ::BeginPaint(window, &paint);
      RECT client;
      ::GetClientRect(window, &client);
      wchar_t title[512] = {};
      ::GetWindowTextW(window, title, 512);
      ::SetBkMode(dc, TRANSPARENT);
      ::DrawTextW(dc, title, -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      ::EndPaint(window, &paint);
      return 0;
    }
    case WM_TIMER:
      if (wParam == kRedrawTimer) DrawLayers(window);
      if (wParam == kOpenTimer) {
        ::KillTimer(window, kOpenTimer);
        wchar_t title[256] = {};
        ::GetWindowTextW(window, title, 256);
        OpenAnother(std::wstring(title) + L" opened");
      }
      return 0;
    case WM_KEYDOWN:
      if (g_keyOpensWindow) ::SetTimer(window, kOpenTimer, 1000, nullptr);
      return 0;
    case kRelayMessage:
      OpenAnother(L"Relayed");
      return 0;
    case WM_WINDOWPOSCHANGING:
      if (::GetPropW(window, kKeepsZOrder) != nullptr) {
        reinterpret_cast<WINDOWPOS*>(lParam)->flags |= SWP_NOZORDER;
      }
      return ::DefWindowProcW(window, message, wParam, lParam);
    case WM_DESTROY: {
      // Pop-ups go with their owner; only the windows of the command line keep the
      // program alive.
      wchar_t className[64] = {};
      ::GetClassNameW(window, className, 64);
      if (std::wcscmp(className, kPopupClass) != 0 && std::wcscmp(className, kRelayClass) != 0 &&
          --g_openWindows == 0) {
        ::PostQuitMessage(0);
      }
      return 0;
    }
    default:
      return ::DefWindowProcW(window, message, wParam, lParam);
  }
}

void Register(const std::wstring& className) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = className.c_str();
  ::RegisterClassExW(&wc);  // fails harmlessly when the class is already registered
}

void AddButton(HWND parent, const wchar_t* text) {
  ::CreateWindowExW(0, L"Button", text, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10, 120, 28,
                    parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(100)),
                    ::GetModuleHandleW(nullptr), nullptr);
}

void CALLBACK ShowAll(HWND, UINT, UINT_PTR timer, DWORD) {
  ::KillTimer(nullptr, timer);
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND window, LPARAM) -> BOOL {
        if (::GetWindow(window, GW_OWNER) == nullptr) ::ShowWindow(window, SW_SHOWNORMAL);
        return TRUE;
      },
      0);
  ::Sleep(g_busyAfterShowMs);
}

bool Open(const WindowSpec& spec, int index, bool show) {
  Register(spec.className);
  const POINT pos = spec.pos.value_or(POINT{40 + 40 * index, 40 + 30 * index});
  HWND hiddenOwner = spec.hiddenOwner ? ::CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 0, 0,
                                                          nullptr, nullptr, nullptr, nullptr)
                                      : nullptr;
  HWND window = ::CreateWindowExW(spec.drawsItself ? WS_EX_LAYERED : 0, spec.className.c_str(),
                                  spec.title.c_str(),
                                  WS_OVERLAPPEDWINDOW, pos.x, pos.y, spec.size.cx, spec.size.cy,
                                  hiddenOwner, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  if (window == nullptr) return true;
  ++g_openWindows;
  if (spec.keepsZOrder) ::SetPropW(window, kKeepsZOrder, window);
  if (spec.shellWindow && !BecomeShellWindow(window)) return false;
  if (spec.drawsItself) {
    DrawLayers(window);
    ::SetTimer(window, kRedrawTimer, 200, nullptr);
  }
  if (spec.alpha || spec.colorKey) {
    // Layered before it shows, as a program that is translucent or shaped by itself is.
    ::SetWindowLongPtrW(window, GWL_EXSTYLE,
                        ::GetWindowLongPtrW(window, GWL_EXSTYLE) | WS_EX_LAYERED);
    ::SetLayeredWindowAttributes(window, spec.colorKey.value_or(0), spec.alpha.value_or(255),
                                 (spec.alpha ? LWA_ALPHA : 0) | (spec.colorKey ? LWA_COLORKEY : 0));
  }
  if (spec.childButton) AddButton(window, L"Child button");
  if (show) {
    ::ShowWindow(window, SW_SHOWNORMAL);
    ::UpdateWindow(window);
  }

  HWND owner = window;
  for (int k = 1; k <= spec.ownedChain; ++k) {
    const std::wstring title = spec.title + L" owned " + std::to_wstring(k);
    HWND popup = ::CreateWindowExW(
        0, kPopupClass, title.c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU, pos.x + 30 * k,
        pos.y + 60 + 30 * k, 220, 120, owner, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (popup == nullptr) break;
    AddButton(popup, (L"Button " + std::to_wstring(k)).c_str());
    ::ShowWindow(popup, SW_SHOWNORMAL);
    owner = popup;
  }
  return true;
}

// Starts this program with the arguments less --hand-over and does not wait for it.
int HandOver(const std::vector<std::wstring>& arguments) {
  wchar_t self[MAX_PATH * 4] = {};
  ::GetModuleFileNameW(nullptr, self, static_cast<DWORD>(std::size(self)));
  std::wstring commandLine = L"\"" + std::wstring(self) + L"\"";
  for (const std::wstring& argument : arguments) {
    if (argument != L"--hand-over") commandLine += L" \"" + argument + L"\"";
  }
  ::SetEnvironmentVariableW(L"KAVOLT_FIXTURE_OPTIONS", nullptr);  // or it hands over again
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started{};
  if (!::CreateProcessW(self, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started)) {
    return 1;
  }
  ::CloseHandle(started.hThread);
  ::CloseHandle(started.hProcess);
  return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const int argc = __argc;
  wchar_t** argv = __wargv;
  const std::optional<Options> options = Parse(Arguments(argc, argv));

  if (options && !options->logPath.empty()) {
    g_logPath = options->logPath;
  } else if (const wchar_t* env = _wgetenv(L"KAVOLT_FIXTURE_LOG"); env != nullptr) {
    g_logPath = env;
  }
  LogStart(argc, argv);  // also for a bad command line: the start is what counts
  if (!options) return 2;
  if (options->exitAtOnce) return 0;
  if (options->handOver) return HandOver(Arguments(argc, argv));
  Register(kDefaultClass);
  Register(kRelayClass);
  if (options->relay) {
    if (HWND running = ::FindWindowW(kRelayClass, nullptr)) {
      DWORD runningId = 0;
      ::GetWindowThreadProcessId(running, &runningId);
      ::AllowSetForegroundWindow(runningId);  // its new window may come to the front
      return ::PostMessageW(running, kRelayMessage, 0, 0) ? 0 : 1;
    }
    ::CreateWindowExW(0, kRelayClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                      ::GetModuleHandleW(nullptr), nullptr);
  }

  Register(kPopupClass);
  const bool showNow = options->showAfterMs == 0;
  for (size_t i = 0; i < options->windows.size(); ++i) {
    if (!Open(options->windows[i], static_cast<int>(i), showNow)) return 3;
  }
  if (g_openWindows == 0) return 1;
  g_busyAfterShowMs = options->busyAfterShowMs;
  if (showNow) {
    ::Sleep(g_busyAfterShowMs);
  } else {
    ::SetTimer(nullptr, 0, options->showAfterMs, ShowAll);
  }
  if (options->hangOnQuestion) {
    g_hangSeconds = options->hangSeconds;
    ::SetTimer(nullptr, 0, 50, HangWhenAsked);
  }

  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return 0;
}
