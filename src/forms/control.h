// The control of a form, from which every kind of control is made. Each belongs to a
// form (and maybe to a frame of it); touching a control creates its form first.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "forms/form.h"

namespace kavolt {

struct ControlSpec {
  const wchar_t* windowClass = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  const wchar_t* text = L"";
  RectTwips rect;
  FontSpec font;
  bool visible = true;
  std::optional<COLORREF> textColor;  // none: the system's colour textSysColor
  int textSysColor = COLOR_BTNTEXT;
  std::optional<int> backSysColor;    // a COLOR_ index; none: the form's background
  const wchar_t* tooltip = nullptr;
};

class Control {
 public:
  // container: the frame that holds the control, or nullptr for the form itself.
  Control(Form& form, Control* container, ControlSpec spec);
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  HWND Handle();
  void SetText(std::wstring_view text);
  std::wstring Text();
  void SetVisible(bool visible);
  bool IsVisible();
  const RectTwips& Layout() const noexcept { return spec_.rect; }

 protected:
  Form& Owner() noexcept { return form_; }
  HWND ExistingHandle() const noexcept { return window_; }
  // Runs after every creation, to put the control's state at its design values.
  virtual void OnCreated() {}
  virtual void OnCommand(WORD /*code*/) {}
  virtual void OnScroll(WORD /*code*/) {}
  virtual void OnDrawItem(const DRAWITEMSTRUCT& /*item*/) {}

 private:
  friend class Form;

  void CreateWindowIn(HWND parent, HFONT font, int id);
  HWND ParentWindow();

  Form& form_;
  Control* container_;
  ControlSpec spec_;
  HWND window_ = nullptr;
};

}  // namespace kavolt
