// Test-only console program: reports the state of the desktop's windows as JSON
// lines and does the small things a test driver cannot do from outside Wine.
//
//   inspector list [--all]            one JSON line per top-level window, front to back
//   inspector cursor                  {"x":..,"y":..}
//   inspector foreground              {"hwnd":..}
//   inspector close HWND              posts WM_CLOSE
//   inspector settitle HWND TEXT      SetWindowTextW
//   inspector post HWND MSG [W [L]]   PostMessageW
//   inspector signal NAME             sets the named event (created if absent)
//   inspector activate HWND           SetForegroundWindow
//   inspector topmost HWND 1|0        into or out of the topmost band, without activating
//   inspector fonts FACE...           {"FACE":true|false,...}: is the face installed
//   inspector kill PID                TerminateProcess, for test clean-up
//   inspector watch MS EVENT CLASS... prints {"ready":true}, then polls every millisecond and
//                                     prints the first visible top-level window of a CLASS
//                                     (exit 0); exit 1 after MS ms or once EVENT is set
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "json_text.h"
#include "toolkit/handle.h"

namespace {

using test_tools::Json;
using test_tools::Utf8;

std::string Number(unsigned long long value) { return std::to_string(value); }
std::string Bool(bool value) { return value ? "true" : "false"; }
std::string Handle(HWND window) { return Number(reinterpret_cast<uintptr_t>(window)); }

std::string Rect(const RECT& r) {
  return "[" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
         std::to_string(r.right) + "," + std::to_string(r.bottom) + "]";
}

std::wstring ClassOf(HWND window) {
  wchar_t name[257] = {};
  ::GetClassNameW(window, name, 257);
  return name;
}

// WM_GETTEXT with a timeout, so a hung window cannot hang the inspector.
std::wstring TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 500, &length)) {
    wchar_t fallback[512] = {};
    ::GetWindowTextW(window, fallback, 512);
    return fallback;
  }
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  ::SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, 500, &copied);
  text.resize(copied);
  return text;
}

std::string ChildJson(HWND child, HWND top) {
  RECT r{};
  ::GetWindowRect(child, &r);
  ::MapWindowPoints(nullptr, top, reinterpret_cast<POINT*>(&r), 2);  // relative to top's client
  const std::wstring cls = ClassOf(child);
  const LONG_PTR style = ::GetWindowLongPtrW(child, GWL_STYLE);
  std::string json = "{\"hwnd\":" + Handle(child) +
                     ",\"id\":" + Number(static_cast<unsigned long long>(::GetDlgCtrlID(child))) +
                     ",\"class\":" + Json(cls) + ",\"text\":" + Json(TextOf(child)) +
                     ",\"rect\":" + Rect(r) + ",\"visible\":" + Bool(::IsWindowVisible(child)) +
                     ",\"own_visible\":" + Bool((style & WS_VISIBLE) != 0) +
                     ",\"enabled\":" + Bool(::IsWindowEnabled(child)) +
                     ",\"parent\":" + Handle(::GetParent(child));
  if (_wcsicmp(cls.c_str(), L"Button") == 0) {
    DWORD_PTR check = 0;
    ::SendMessageTimeoutW(child, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 500, &check);
    json += ",\"checked\":" + Bool(check == BST_CHECKED);
  }
  if (_wcsicmp(cls.c_str(), L"ScrollBar") == 0) {
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    if (::GetScrollInfo(child, SB_CTL, &info)) {
      json += ",\"scroll\":{\"min\":" + std::to_string(info.nMin) +
              ",\"max\":" + std::to_string(info.nMax) + ",\"pos\":" + std::to_string(info.nPos) +
              ",\"page\":" + std::to_string(info.nPage) + "}";
    }
  }
  return json + "}";
}

std::string WindowJson(HWND window, int zorder) {
  DWORD pid = 0;
  ::GetWindowThreadProcessId(window, &pid);
  RECT rect{};
  ::GetWindowRect(window, &rect);
  RECT client{};
  ::GetClientRect(window, &client);
  ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
  const LONG_PTR style = ::GetWindowLongPtrW(window, GWL_STYLE);
  const LONG_PTR exStyle = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
  HWND owner = ::GetWindow(window, GW_OWNER);
  const bool visible = ::IsWindowVisible(window) != FALSE;
  // The documented rule for a taskbar button.
  const bool taskbar = visible && ((exStyle & WS_EX_APPWINDOW) != 0 ||
                                   (owner == nullptr && (exStyle & WS_EX_TOOLWINDOW) == 0));

  std::string json =
      "{\"hwnd\":" + Handle(window) + ",\"pid\":" + Number(pid) +
      ",\"class\":" + Json(ClassOf(window)) + ",\"title\":" + Json(TextOf(window)) +
      ",\"rect\":" + Rect(rect) + ",\"client\":" + Rect(client) + ",\"visible\":" + Bool(visible) +
      ",\"enabled\":" + Bool(::IsWindowEnabled(window)) + ",\"owner\":" + Handle(owner) +
      ",\"style\":" + Number(static_cast<unsigned long long>(style) & 0xFFFFFFFF) +
      ",\"exstyle\":" + Number(static_cast<unsigned long long>(exStyle) & 0xFFFFFFFF) +
      ",\"topmost\":" + Bool((exStyle & WS_EX_TOPMOST) != 0) +
      ",\"layered\":" + Bool((exStyle & WS_EX_LAYERED) != 0) + ",\"taskbar\":" + Bool(taskbar) +
      ",\"zorder\":" + std::to_string(zorder) + ",\"hung\":" + Bool(::IsHungAppWindow(window)) +
      ",\"foreground\":" + Bool(::GetForegroundWindow() == window);
  COLORREF key = 0;
  BYTE alpha = 0;
  DWORD flags = 0;
  if ((exStyle & WS_EX_LAYERED) != 0 &&
      ::GetLayeredWindowAttributes(window, &key, &alpha, &flags)) {
    json += ",\"alpha\":" + std::to_string(alpha) + ",\"layered_flags\":" + Number(flags) +
            ",\"color_key\":" + Number(key);
  } else {
    json += ",\"alpha\":null";
  }

  json += ",\"children\":[";
  std::vector<HWND> children;
  ::EnumChildWindows(
      window,
      [](HWND child, LPARAM list) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&children));
  for (size_t i = 0; i < children.size(); ++i) {
    if (i > 0) json += ",";
    json += ChildJson(children[i], window);
  }
  return json + "]}";
}

void Print(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);  // the driver reads a file while we run
}

HWND ParseHandle(const wchar_t* text) {
  return reinterpret_cast<HWND>(static_cast<uintptr_t>(std::wcstoull(text, nullptr, 0)));
}

int List(bool all) {
  int zorder = 0;
  for (HWND window = ::GetTopWindow(nullptr); window != nullptr;
       window = ::GetWindow(window, GW_HWNDNEXT)) {
    if (all || ::IsWindowVisible(window)) Print(WindowJson(window, zorder));
    ++zorder;
  }
  return 0;
}

// A visible top-level window of one of the classes, or null.
HWND FindVisible(const std::vector<std::wstring>& classes) {
  for (HWND window = ::GetTopWindow(nullptr); window != nullptr;
       window = ::GetWindow(window, GW_HWNDNEXT)) {
    if (!::IsWindowVisible(window)) continue;
    const std::wstring cls = ClassOf(window);
    for (const auto& wanted : classes) {
      if (cls == wanted) return window;
    }
  }
  return nullptr;
}

// Polls in-process: far finer than a driver running `list` can, so that a window
// that shows first and changes a moment later is caught in its first state.
int Watch(DWORD timeoutMs, const wchar_t* stopEvent, const std::vector<std::wstring>& classes) {
  kavolt::UniqueHandle stop(::CreateEventW(nullptr, TRUE, FALSE, stopEvent));
  if (!stop) return 2;
  Print("{\"ready\":true}");
  const ULONGLONG end = ::GetTickCount64() + timeoutMs;
  while (::GetTickCount64() < end && ::WaitForSingleObject(stop.get(), 1) == WAIT_TIMEOUT) {
    if (HWND window = FindVisible(classes)) {
      Print(WindowJson(window, -1));
      return 0;
    }
  }
  return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fputs(
        "usage: inspector list|cursor|foreground|close|settitle|post|signal|activate|fonts|kill|"
        "watch\n",
        stderr);
    return 2;
  }
  const std::wstring command = argv[1];
  if (command == L"list") return List(argc > 2 && std::wstring(argv[2]) == L"--all");
  if (command == L"cursor") {
    POINT p{};
    ::GetCursorPos(&p);
    Print("{\"x\":" + std::to_string(p.x) + ",\"y\":" + std::to_string(p.y) + "}");
    return 0;
  }
  if (command == L"foreground") {
    Print("{\"hwnd\":" + Handle(::GetForegroundWindow()) + "}");
    return 0;
  }
  if (command == L"close" && argc == 3) {
    return ::PostMessageW(ParseHandle(argv[2]), WM_CLOSE, 0, 0) ? 0 : 1;
  }
  if (command == L"settitle" && argc == 4) {
    return ::SetWindowTextW(ParseHandle(argv[2]), argv[3]) ? 0 : 1;
  }
  if (command == L"post" && argc >= 4) {
    const auto message = static_cast<UINT>(std::wcstoul(argv[3], nullptr, 0));
    const WPARAM w = argc > 4 ? std::wcstoull(argv[4], nullptr, 0) : 0;
    const LPARAM l = argc > 5 ? static_cast<LPARAM>(std::wcstoll(argv[5], nullptr, 0)) : 0;
    return ::PostMessageW(ParseHandle(argv[2]), message, w, l) ? 0 : 1;
  }
  if (command == L"activate" && argc == 3) {
    return ::SetForegroundWindow(ParseHandle(argv[2])) ? 0 : 1;
  }
  if (command == L"topmost" && argc == 4) {
    const HWND after = std::wstring(argv[3]) == L"1" ? HWND_TOPMOST : HWND_NOTOPMOST;
    return ::SetWindowPos(ParseHandle(argv[2]), after, 0, 0, 0, 0,
                          SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE) ? 0 : 1;
  }
  if (command == L"kill" && argc == 3) {
    kavolt::UniqueHandle process(::OpenProcess(
        PROCESS_TERMINATE, FALSE, static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 0))));
    return process && ::TerminateProcess(process.get(), 1) ? 0 : 1;
  }
  if (command == L"watch" && argc >= 5) {
    return Watch(static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 0)), argv[3],
                 std::vector<std::wstring>(argv + 4, argv + argc));
  }
  if (command == L"signal" && argc == 3) {
    kavolt::UniqueHandle event(::CreateEventW(nullptr, TRUE, FALSE, argv[2]));
    return event && ::SetEvent(event.get()) ? 0 : 1;
  }
  if (command == L"fonts") {
    std::string json = "{";
    for (int i = 2; i < argc; ++i) {
      LOGFONTW query{};
      query.lfCharSet = DEFAULT_CHARSET;
      wcsncpy_s(query.lfFaceName, argv[i], _TRUNCATE);
      bool found = false;
      HDC dc = ::GetDC(nullptr);
      ::EnumFontFamiliesExW(
          dc, &query,
          [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM flag) -> int {
            *reinterpret_cast<bool*>(flag) = true;
            return 0;
          },
          reinterpret_cast<LPARAM>(&found), 0);
      ::ReleaseDC(nullptr, dc);
      if (i > 2) json += ",";
      json += Json(argv[i]) + ":" + Bool(found);
    }
    Print(json + "}");
    return 0;
  }
  std::fputs("inspector: unknown command or wrong arguments\n", stderr);
  return 2;
}
