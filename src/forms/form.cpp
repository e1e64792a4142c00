#include "forms/form.h"

#include <commctrl.h>

#include <algorithm>

#include "forms/controls.h"
#include "forms/dpi.h"
#include "forms/hidden_owner.h"
#include "forms/twips.h"
#include "toolkit/stamps.h"
#include "toolkit/window_ops.h"

namespace kavolt {
namespace {

constexpr int kFirstControlId = 100;

HINSTANCE Instance() { return ::GetModuleHandleW(nullptr); }

void RegisterWindowClass(const wchar_t* name, WNDPROC procedure, int iconResource) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof(existing);
  if (::GetClassInfoExW(Instance(), name, &existing)) return;

  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = Instance();
  windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = name;
  if (iconResource != 0) {
    const auto resource = MAKEINTRESOURCEW(iconResource);
    windowClass.hIcon = static_cast<HICON>(::LoadImageW(Instance(), resource, IMAGE_ICON,
        ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR));
    windowClass.hIconSm = static_cast<HICON>(::LoadImageW(Instance(), resource, IMAGE_ICON,
        ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  }
  ::RegisterClassExW(&windowClass);
}

}  // namespace

Form::Form(FormSpec spec) : spec_(spec) {}

Form::~Form() {
  if (window_ == nullptr) return;
  // The derived form and its controls are gone already: the window's last messages
  // must not reach them.
  ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  ::DestroyWindow(window_);
}

Form* Form::FromHandle(HWND window) {
  if (window == nullptr) return nullptr;
  DWORD processId = 0;
  ::GetWindowThreadProcessId(window, &processId);
  if (processId != ::GetCurrentProcessId()) return nullptr;
  if (::GetWindowLongPtrW(window, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&Form::WindowProc)) {
    return nullptr;
  }
  return reinterpret_cast<Form*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

HWND Form::Handle() {
  if (window_ == nullptr) Create();
  return window_;
}

void Form::Create() {
  RegisterWindowClass(spec_.className, &Form::WindowProc, spec_.iconResource);
  if (spec_.background) background_.reset(::CreateSolidBrush(*spec_.background));

  HWND owner = spec_.ownedByHiddenWindow ? HiddenOwnerWindow() : nullptr;
  // Created at its final size where its DPI is the system's, as it is on the primary
  // monitor; sized again on a monitor of another scale.
  dpi_ = SystemDpi();
  RECT bounds = Bounds();
  const SIZE outer{bounds.right - bounds.left, bounds.bottom - bounds.top};
  if (const std::optional<POINT> place = PlaceAtCreation(outer, dpi_)) {
    bounds = RECT{place->x, place->y, place->x + outer.cx, place->y + outer.cy};
  }
  ::CreateWindowExW(spec_.exStyle, spec_.className, spec_.caption, spec_.style, bounds.left,
                    bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, owner,
                    nullptr, Instance(), this);
  if (window_ == nullptr) return;
  KAVOLT_STAMP(kWindowCreated);

  if (const unsigned dpi = DpiForWindow(window_); dpi != dpi_) {
    dpi_ = dpi;
    const RECT resized = Bounds();
    ::SetWindowPos(window_, nullptr, resized.left, resized.top, resized.right - resized.left,
                   resized.bottom - resized.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  CreateControls();
  for (Timer* timer : timers_) {
    timer->enabled_ = timer->enabledByDesign_;
    timer->Apply();
  }
  KAVOLT_STAMP(kControlsCreated);
  OnLoad();
  KAVOLT_STAMP(kLoaded);
  // After the load handler: Wine ignores HWND_TOPMOST for a window that already owns
  // a topmost tooltip window.
  if (window_ != nullptr) CreateTooltips();
  KAVOLT_STAMP(kTooltips);
}

RECT Form::Bounds() {
  RECT frame{0, 0, ToPixels(spec_.clientWidthTwips), ToPixels(spec_.clientHeightTwips)};
  AdjustWindowRectForDpi(frame, spec_.style, spec_.exStyle, dpi_);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  int left = 0;
  int top = 0;
  if (spec_.centred) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
    left = monitor.rcMonitor.left + (monitor.rcMonitor.right - monitor.rcMonitor.left - width) / 2;
    top = monitor.rcMonitor.top + (monitor.rcMonitor.bottom - monitor.rcMonitor.top - height) / 2;
  }
  return RECT{left, top, left + width, top + height};
}

void Form::CreateControls() {
  int id = kFirstControlId;
  for (Control* control : controls_) {
    control->CreateWindowIn(control->ParentWindow(), FontFor(control->spec_.font), id++);
  }
  for (Control* control : controls_) control->OnCreated();
}

void Form::CreateTooltips() {
  const bool anyTip = std::any_of(controls_.begin(), controls_.end(),
                                  [](const Control* c) { return c->spec_.tooltip != nullptr; });
  if (!anyTip) return;
  tooltip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                               WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr,
                               Instance(), nullptr);
  for (Control* control : controls_) {
    if (control->spec_.tooltip == nullptr || control->window_ == nullptr) continue;
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(control->window_);
    tool.lpszText = const_cast<wchar_t*>(control->spec_.tooltip);
    ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void Form::LayOutControls() {
  for (Control* control : controls_) {
    if (control->window_ == nullptr) continue;
    const RectTwips& r = control->spec_.rect;
    ::SetWindowPos(control->window_, nullptr, ToPixels(r.left), ToPixels(r.top),
                   ToPixels(r.width), ToPixels(r.height), SWP_NOZORDER | SWP_NOACTIVATE);
    ::SendMessageW(control->window_, WM_SETFONT,
                   reinterpret_cast<WPARAM>(FontFor(control->spec_.font)), TRUE);
  }
}

HFONT Form::FontFor(const FontSpec& spec) {
  for (const auto& [known, font] : fonts_) {
    if (known == spec) return font.get();
  }
  KAVOLT_STAMP(kFontAsked);
  fonts_.emplace_back(spec, CreateLayoutFont(spec, dpi_));
  KAVOLT_STAMP(kFontMade);
  return fonts_.back().second.get();
}

HBRUSH Form::BackgroundBrush() const {
  return background_ ? background_.get() : ::GetSysColorBrush(COLOR_BTNFACE);
}

Control* Form::ControlFromHandle(HWND window) const {
  for (Control* control : controls_) {
    if (control->window_ == window && window != nullptr) return control;
  }
  return nullptr;
}

Timer* Form::TimerFromId(UINT_PTR id) const {
  return id >= 1 && id <= timers_.size() ? timers_[id - 1] : nullptr;
}

void Form::Show() {
  ::ShowWindow(Handle(), spec_.activateOnShow ? SW_SHOW : SW_SHOWNOACTIVATE);
  KAVOLT_STAMP(kShown);
}

void Form::Hide() {
  if (window_ != nullptr) ::ShowWindow(window_, SW_HIDE);
}

bool Form::IsVisible() const { return window_ != nullptr && ::IsWindowVisible(window_); }

void Form::Close() {
  if (window_ != nullptr) ::DestroyWindow(window_);
}

bool Form::ShowModal() {
  HWND self = Handle();
  // A form that could not be created, or closed itself while loading, has nothing to
  // wait for.
  if (self == nullptr) return false;
  std::vector<HWND> disabled;
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND window, LPARAM list) -> BOOL {
        if (::IsWindowVisible(window) && ::IsWindowEnabled(window)) {
          reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&disabled));
  std::erase(disabled, self);
  for (HWND window : disabled) ::EnableWindow(window, FALSE);

  Show();
  TakeForeground();
  MSG message;
  while (window_ == self) {
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got == -1) break;
    if (got == 0) {
      // The program is asked to end: the form closes unanswered and the outer loop
      // takes the request.
      ::PostQuitMessage(static_cast<int>(message.wParam));
      Close();
      break;
    }
    if (!::IsDialogMessageW(self, &message)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
  for (HWND window : disabled) {
    if (::IsWindow(window)) ::EnableWindow(window, TRUE);
  }
  return true;
}

void Form::TakeForeground() {
  INPUT nothing{};
  nothing.type = INPUT_MOUSE;
  ::SendInput(1, &nothing, sizeof(nothing));
  ::SetForegroundWindow(Handle());
}

void Form::SetCaption(std::wstring_view caption) {
  ::SetWindowTextW(Handle(), std::wstring(caption).c_str());
}

std::wstring Form::Caption() { return WindowTitle(Handle()); }

unsigned Form::Dpi() {
  Handle();
  return dpi_;
}

int Form::ToPixels(int twips) { return TwipsToPixels(twips, dpi_); }

SIZE Form::OuterSize() {
  RECT r{};
  ::GetWindowRect(Handle(), &r);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

void Form::MoveTo(int leftPixels, int topPixels) {
  // A move to where the window is sends it messages all the same.
  RECT r{};
  ::GetWindowRect(Handle(), &r);
  if (r.left == leftPixels && r.top == topPixels) return;
  ::SetWindowPos(Handle(), nullptr, leftPixels, topPixels, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::RestoreFocus() {
  HWND target = lastFocus_;
  if (target == nullptr || !::IsChild(window_, target) || !::IsWindowVisible(target) ||
      !::IsWindowEnabled(target)) {
    target = ::GetNextDlgTabItem(window_, nullptr, FALSE);
  }
  if (target != nullptr) ::SetFocus(target);
}

void Form::ForgetWindow() {
  for (Control* control : controls_) control->window_ = nullptr;
  for (Timer* timer : timers_) timer->enabled_ = false;
  window_ = nullptr;
  tooltip_ = nullptr;
  lastFocus_ = nullptr;
  fonts_.clear();
  background_.reset();
}

}  // namespace kavolt
