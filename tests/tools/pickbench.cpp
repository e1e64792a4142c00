// Benchmark probe, inside Wine, on the clock of QueryPerformanceCounter.
//
//   pickbench picks PICKS CLASS...
//     Times picks that someone else makes (the benchmark drives them with real input): for
//     each, the moment a press of the primary button reaches Windows programs and the
//     moment a window of one of the classes (Kavolt's question, the reference's popup)
//     becomes visible. Prints {"ready":N} when it watches for pick N (the caller makes the
//     pick after that), then {"pick":N,"class":"...","latency_ms":...}; once that window
//     is gone, {"stamps":N,"list":[["point",ms],...]}: the stamps that the window's program
//     wrote from 200 ms before the press to 100 ms after the window showed, in ms from the
//     press. The presses that open no window (a click that arms a pick) are superseded by
//     the next press.
//
//   pickbench starts EXE CLASS [EXE CLASS]...
//     Starts each program in turn, as given, from its own folder: the clock is read just
//     before CreateProcess, and again when a window of the class first is visible. Prints
//     {"start":N,"exe":"...","latency_ms":...,"stamps":[["point",ms],...]} (the program's
//     stamps up to 300 ms after the window showed, in ms from the start), then closes the
//     window and waits for the program to end before the next start.
//
//   pickbench launches EXE ITEM [EXE ITEM]...
//     Starts each launcher in turn as "EXE" ITEM (Kavolt, or start_reference --launch),
//     from its own folder, with nothing in the foreground but the desktop: the clock is
//     read just before CreateProcess, when a visible window of the fixture's class is
//     first topmost, and when the launcher has ended. Prints
//     {"launch":N,"exe":"...","pinned_ms":...,"ended_ms":...} (-1: never pinned), then
//     closes the fixture's windows and waits for it to end before the next start.
//
// Gives up (exit 1) after ten minutes. The press is taken from raw input, which the system
// hands out as it takes the press in, when GetAsyncKeyState starts to report it. The
// probe's own GetAsyncKeyState could see it up to 50 ms late: Wine answers it from the
// thread's last reading of a released button for that long.
#include <windows.h>

#include <timeapi.h>

#include <cstdio>
#include <cwchar>
#include <iterator>
#include <string>

#include "stamp_log.h"
#include "toolkit/handle.h"

namespace {

constexpr const char* kPointNames[] = {
#define KAVOLT_STAMP_NAME(point, name) name,
    KAVOLT_STAMP_POINTS(KAVOLT_STAMP_NAME)
#undef KAVOLT_STAMP_NAME
};

ULONGLONG deadline = 0;
LARGE_INTEGER frequency{};

bool TimeIsUp() { return ::GetTickCount64() > deadline; }

LONGLONG Now() {
  LARGE_INTEGER now{};
  ::QueryPerformanceCounter(&now);
  return now.QuadPart;
}

double Milliseconds(LONGLONG from, LONGLONG to) {
  return 1000.0 * static_cast<double>(to - from) / static_cast<double>(frequency.QuadPart);
}

LONGLONG Ticks(double milliseconds) {
  return static_cast<LONGLONG>(milliseconds * static_cast<double>(frequency.QuadPart) / 1000.0);
}

HWND VisibleWindow(const wchar_t* windowClass) {
  HWND window = ::FindWindowW(windowClass, nullptr);
  return window != nullptr && ::IsWindowVisible(window) ? window : nullptr;
}

// Prints the stamps of the process between from and to, in ms from origin, as a JSON list.
void PrintStamps(DWORD process, LONGLONG origin, LONGLONG from, LONGLONG to, LONG& read) {
  stamp_log::Log* log = stamp_log::Shared();
  std::fputs("[", stdout);
  const char* separator = "";
  const LONG written = log != nullptr ? log->next : 0;
  if (written - read > stamp_log::kCapacity) read = written - stamp_log::kCapacity;
  for (; read < written; ++read) {
    const stamp_log::Record& record = log->records[read & (stamp_log::kCapacity - 1)];
    const LONG point = record.point;
    if (record.process != process || point < 0 || point >= static_cast<LONG>(std::size(kPointNames))) continue;
    if (record.counter < from || record.counter > to) continue;
    std::printf("%s[\"%s\",%.3f]", separator, kPointNames[point],
                Milliseconds(origin, record.counter));
    separator = ",";
  }
  std::fputs("]", stdout);
}

// ---- Picks ---------------------------------------------------------------------------

// The first of the classes with a visible window, or nullptr.
const wchar_t* VisibleClass(wchar_t** classes, int count) {
  for (int i = 0; i < count; ++i) {
    if (VisibleWindow(classes[i]) != nullptr) return classes[i];
  }
  return nullptr;
}

// Raw input reports the physical buttons; the primary one is the right button while the
// user has swapped them.
USHORT PrimaryDownFlag() {
  return ::GetSystemMetrics(SM_SWAPBUTTON) ? RI_MOUSE_RIGHT_BUTTON_DOWN : RI_MOUSE_LEFT_BUTTON_DOWN;
}

// Handles the waiting messages; true if one of them was a press of the primary button.
bool PressArrived() {
  bool pressed = false;
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_INPUT) {
      RAWINPUT input{};
      UINT size = sizeof(input);
      if (::GetRawInputData(reinterpret_cast<HRAWINPUT>(message.lParam), RID_INPUT, &input, &size,
                            sizeof(RAWINPUTHEADER)) != static_cast<UINT>(-1) &&
          input.header.dwType == RIM_TYPEMOUSE &&
          (input.data.mouse.usButtonFlags & PrimaryDownFlag()) != 0) {
        pressed = true;
      }
    }
    ::DispatchMessageW(&message);
  }
  return pressed;
}

int Picks(int picks, wchar_t** classes, int classCount) {
  // A hidden window to receive the mouse's raw input wherever the press lands.
  HWND sink = ::CreateWindowExW(0, L"STATIC", L"pickbench", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                ::GetModuleHandleW(nullptr), nullptr);
  const RAWINPUTDEVICE mouse{
      .usUsagePage = 0x01, .usUsage = 0x02, .dwFlags = RIDEV_INPUTSINK, .hwndTarget = sink};
  if (sink == nullptr || !::RegisterRawInputDevices(&mouse, 1, sizeof(mouse))) {
    std::fputs("pickbench: no raw input from the mouse\n", stderr);
    return 1;
  }
  LONG read = stamp_log::Shared() != nullptr ? stamp_log::Shared()->next : 0;
  for (int pick = 1; pick <= picks; ++pick) {
    LONGLONG pressed = 0;
    PressArrived();  // presses before this pick are not its own
    std::printf("{\"ready\":%d}\n", pick);
    std::fflush(stdout);
    // The press is looked for before the window in every round, so a press is never
    // missed because the window came up within one round.
    const wchar_t* shownClass = nullptr;
    for (;;) {
      if (PressArrived()) pressed = Now();
      shownClass = VisibleClass(classes, classCount);
      if (shownClass != nullptr) break;
      if (TimeIsUp()) return 1;
      ::MsgWaitForMultipleObjectsEx(0, nullptr, 1, QS_RAWINPUT, MWMO_INPUTAVAILABLE);
    }
    const LONGLONG shown = Now();
    DWORD process = 0;
    ::GetWindowThreadProcessId(::FindWindowW(shownClass, nullptr), &process);
    // -1: no press was seen.
    std::printf("{\"pick\":%d,\"class\":\"%ls\",\"latency_ms\":%.2f}\n", pick, shownClass,
                pressed != 0 ? Milliseconds(pressed, shown) : -1.0);
    std::fflush(stdout);
    while (VisibleWindow(shownClass) != nullptr) {
      if (TimeIsUp()) return 1;
      PressArrived();
      ::Sleep(1);
    }
    const LONGLONG origin = pressed != 0 ? pressed : shown;
    std::printf("{\"stamps\":%d,\"list\":", pick);
    PrintStamps(process, origin, origin - Ticks(200), shown + Ticks(100), read);
    std::puts("}");
    std::fflush(stdout);
  }
  return 0;
}

// ---- Starts --------------------------------------------------------------------------

int Start(int number, const wchar_t* exe, const wchar_t* windowClass) {
  std::wstring folder = exe;
  folder.erase(folder.find_last_of(L"\\/") + 1);
  std::wstring commandLine = L"\"" + std::wstring(exe) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started{};
  LONG read = stamp_log::Shared() != nullptr ? stamp_log::Shared()->next : 0;
  // Settled: the last program has gone, and what its end set going has run its course.
  ::Sleep(500);
  const LONGLONG start = Now();
  if (!::CreateProcessW(exe, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &started)) {
    std::fprintf(stderr, "pickbench: cannot start %ls (error %lu)\n", exe, ::GetLastError());
    return 1;
  }
  const kavolt::UniqueHandle process(started.hProcess);
  const kavolt::UniqueHandle thread(started.hThread);
  HWND window = nullptr;
  for (;;) {
    window = VisibleWindow(windowClass);
    if (window != nullptr) {
      DWORD owner = 0;
      ::GetWindowThreadProcessId(window, &owner);
      if (owner == started.dwProcessId) break;
    }
    if (TimeIsUp() || ::WaitForSingleObject(process.get(), 1) == WAIT_OBJECT_0) {
      std::fprintf(stderr, "pickbench: %ls ended or showed no window\n", exe);
      return 1;
    }
  }
  const LONGLONG shown = Now();
  ::Sleep(300);  // for the stamps the program writes just after its window shows
  const wchar_t* name = exe + folder.size();
  std::printf("{\"start\":%d,\"exe\":\"%ls\",\"latency_ms\":%.2f,\"stamps\":", number, name,
              Milliseconds(start, shown));
  PrintStamps(started.dwProcessId, start, start, shown + Ticks(300), read);
  std::puts("}");
  std::fflush(stdout);
  ::PostMessageW(window, WM_CLOSE, 0, 0);
  if (::WaitForSingleObject(process.get(), 10'000) != WAIT_OBJECT_0) {
    ::TerminateProcess(process.get(), 1);
    std::fprintf(stderr, "pickbench: %ls did not end on WM_CLOSE\n", exe);
    return 1;
  }
  return 0;
}

int Starts(int count, wchar_t** args) {
  ::Sleep(1000);  // for the probe's own start to run its course
  for (int i = 0; i + 1 < count; i += 2) {
    if (Start(i / 2 + 1, args[i], args[i + 1]) != 0) return 1;
  }
  return 0;
}

// ---- Launches ------------------------------------------------------------------------

constexpr wchar_t kFixtureClass[] = L"KavoltTestTarget";

bool IsTopmost(HWND window) {
  return (::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

int Launch(int number, const wchar_t* exe, const wchar_t* item) {
  std::wstring folder = exe;
  folder.erase(folder.find_last_of(L"\\/") + 1);
  std::wstring commandLine = L"\"" + std::wstring(exe) + L"\" " + item;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started{};
  ::Sleep(500);  // settled, as between starts
  const LONGLONG start = Now();
  if (!::CreateProcessW(exe, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &started)) {
    std::fprintf(stderr, "pickbench: cannot start %ls (error %lu)\n", exe, ::GetLastError());
    return 1;
  }
  const kavolt::UniqueHandle launcher(started.hProcess);
  const kavolt::UniqueHandle thread(started.hThread);
  LONGLONG pinned = 0;
  HWND window = nullptr;
  while (::WaitForSingleObject(launcher.get(), 1) != WAIT_OBJECT_0) {
    if (TimeIsUp()) return 1;
    window = VisibleWindow(kFixtureClass);
    if (pinned == 0 && window != nullptr && IsTopmost(window)) pinned = Now();
  }
  const LONGLONG ended = Now();
  window = VisibleWindow(kFixtureClass);
  if (pinned == 0 && window != nullptr && IsTopmost(window)) pinned = ended;
  std::printf("{\"launch\":%d,\"exe\":\"%ls\",\"pinned_ms\":%.2f,\"ended_ms\":%.2f}\n", number,
              exe + folder.size(), pinned != 0 ? Milliseconds(start, pinned) : -1.0,
              Milliseconds(start, ended));
  std::fflush(stdout);
  // The fixture shows late or stays busy in some cases: wait for its window to close it.
  for (ULONGLONG until = ::GetTickCount64() + 15'000; window == nullptr; ::Sleep(10)) {
    if (::GetTickCount64() > until) return 1;
    window = VisibleWindow(kFixtureClass);
  }
  DWORD fixtureId = 0;
  ::GetWindowThreadProcessId(window, &fixtureId);
  const kavolt::UniqueHandle fixture(::OpenProcess(SYNCHRONIZE, FALSE, fixtureId));
  ::PostMessageW(window, WM_CLOSE, 0, 0);
  return fixture && ::WaitForSingleObject(fixture.get(), 15'000) == WAIT_OBJECT_0 ? 0 : 1;
}

int Launches(int count, wchar_t** args) {
  ::Sleep(1000);  // for the probe's own start to run its course
  for (int i = 0; i + 1 < count; i += 2) {
    if (Launch(i / 2 + 1, args[i], args[i + 1]) != 0) return 1;
  }
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  deadline = ::GetTickCount64() + 600'000;
  ::QueryPerformanceFrequency(&frequency);
  ::timeBeginPeriod(1);
  stamp_log::Shared();  // before any program that stamps starts
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"picks" && argc > 3) return Picks(_wtoi(argv[2]), argv + 3, argc - 3);
  if (mode == L"starts" && argc > 3 && (argc - 2) % 2 == 0) return Starts(argc - 2, argv + 2);
  if (mode == L"launches" && argc > 3 && (argc - 2) % 2 == 0) {
    return Launches(argc - 2, argv + 2);
  }
  std::fputs("usage: pickbench picks PICKS CLASS... | starts EXE CLASS... | launches EXE ITEM...\n",
             stderr);
  return 2;
}
