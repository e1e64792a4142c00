// A small form layer over raw Win32. A form's window is created the first time code
// touches the form or one of its controls, and its load handler runs before anything
// else happens to it. Closing destroys the window; the next touch creates it afresh,
// with every control back at its design values.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "forms/font.h"
#include "toolkit/handle.h"

namespace kavolt {

class Control;
class Timer;

struct RectTwips {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

struct FormSpec {
  const wchar_t* className = nullptr;
  const wchar_t* caption = L"";
  DWORD style = 0;
  DWORD exStyle = 0;
  int clientWidthTwips = 0;
  int clientHeightTwips = 0;
  std::optional<COLORREF> background;  // none: the system's button-face colour
  bool ownedByHiddenWindow = false;    // keeps a captioned window off the taskbar
  bool centred = false;                // on the primary screen, at creation
  bool activateOnShow = true;
  int iconResource = 0;
};

class Form {
 public:
  explicit Form(FormSpec spec);
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  // The form behind one of Kavolt's form windows, or nullptr.
  static Form* FromHandle(HWND window);

  HWND Handle();
  bool Exists() const noexcept { return window_ != nullptr; }

  void Show();
  void Hide();
  bool IsVisible() const;
  void Close();
  // Shows the form and dispatches messages until it is closed; meanwhile the
  // program's other windows take no input. False, at once, when the form's window
  // cannot be created. A WM_QUIT closes the form and is left for the caller's loop.
  bool ShowModal();
  // Asks for the foreground for the form; Windows may still refuse it. Windows lets only
  // the process that had the last input take the foreground, and the press that picked a
  // window went to that window: an input that moves and presses nothing, sent first,
  // makes Kavolt that process without touching any key's state.
  void TakeForeground();

  void SetCaption(std::wstring_view caption);
  std::wstring Caption();

  unsigned Dpi();
  int ToPixels(int twips);
  SIZE OuterSize();
  void MoveTo(int leftPixels, int topPixels);

 protected:
  virtual void OnLoad() {}
  // Where the window is created, from its outer size in pixels at the DPI it is made for;
  // none: where the form's FormSpec places it.
  virtual std::optional<POINT> PlaceAtCreation(SIZE, unsigned) { return std::nullopt; }
  // A close asked for by the user or the system; false keeps the window.
  virtual bool OnQueryClose() { return true; }
  // First look at every message; a value ends its handling.
  virtual std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  friend class Control;
  friend class Timer;

  void Adopt(Control& control) { controls_.push_back(&control); }
  void Adopt(Timer& timer) { timers_.push_back(&timer); }
  void Create();
  // Where the window goes at the form's DPI: centred, or at the origin.
  RECT Bounds();
  void CreateControls();
  void CreateTooltips();
  void LayOutControls();
  HFONT FontFor(const FontSpec& spec);
  HBRUSH BackgroundBrush() const;
  Control* ControlFromHandle(HWND window) const;
  Timer* TimerFromId(UINT_PTR id) const;
  void RestoreFocus();
  void ForgetWindow();
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  FormSpec spec_;
  HWND window_ = nullptr;
  HWND tooltip_ = nullptr;
  HWND lastFocus_ = nullptr;
  unsigned dpi_ = USER_DEFAULT_SCREEN_DPI;
  UniqueBrush background_;
  std::vector<Control*> controls_;
  std::vector<Timer*> timers_;
  std::vector<std::pair<FontSpec, UniqueFont>> fonts_;
};

}  // namespace kavolt
