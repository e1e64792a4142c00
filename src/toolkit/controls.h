// The controls of Kavolt's forms. Each belongs to a form (and maybe to a frame of
// it); touching a control creates its form first.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/form.h"

namespace kavolt {

struct ControlSpec {
  const wchar_t* windowClass = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  const wchar_t* text = L"";
  RectTwips rect;
  FontSpec font;
  bool visible = true;
  std::optional<COLORREF> textColor;  // none: the system's colour for the control
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

// A captionless frame: an etched border that holds other controls.
class Frame : public Control {
 public:
  Frame(Form& form, Control* container, RectTwips rect);
};

// Multi-line text, wrapped within the label's width and cut at its lower edge: a line
// only partly inside is drawn as far as it shows, where a plain static control would
// hide it whole.
class Label : public Control {
 public:
  enum class Align { kLeft, kCenter };
  Label(Form& form, Control* container, RectTwips rect, Align align, FontSpec font,
        std::optional<COLORREF> textColor, std::optional<int> backSysColor, bool visible = true);

 protected:
  void OnDrawItem(const DRAWITEMSTRUCT& item) override;

 private:
  Align align_;
};

// Setting the value by code to a different value runs the change handler at once.
class CheckBox : public Control {
 public:
  CheckBox(Form& form, Control* container, RectTwips rect, const wchar_t* caption,
           bool visible = true);
  bool Value();
  void SetValue(bool ticked);
  std::function<void()> onChange;

 protected:
  void OnCreated() override;
  void OnCommand(WORD code) override;

 private:
  bool value_ = false;
};

// One element of an option group or a command-button array: the array decides
// what its notifications mean.
class ArrayElement : public Control {
 public:
  ArrayElement(Form& form, Control* container, ControlSpec spec, std::function<void()> onCreated,
               std::function<void(WORD code)> onCommand);

 protected:
  void OnCreated() override;
  void OnCommand(WORD code) override;

 private:
  friend class OptionGroup;
  std::function<void()> onCreated_;
  std::function<void(WORD code)> onCommand_;
};

struct OptionSpec {
  const wchar_t* caption;
  RectTwips rect;
  const wchar_t* tooltip;
};

// Exclusive option buttons; one click handler receives the element's index whenever
// the selection changes, by the user or by code.
class OptionGroup {
 public:
  OptionGroup(Form& form, Control* container, std::initializer_list<OptionSpec> options,
              FontSpec font, std::size_t selectedByDesign);
  void Select(std::size_t index);
  bool IsSelected(std::size_t index);
  Control& operator[](std::size_t index) { return *buttons_.at(index); }
  std::size_t Count() const noexcept { return buttons_.size(); }
  std::function<void(int index)> onClick;

 private:
  void ShowSelection(std::size_t index, const Control* only);
  void NoteUserClick();

  Form& form_;
  std::vector<std::unique_ptr<ArrayElement>> buttons_;
  std::size_t selectedByDesign_;
  std::size_t selected_;
};

// The change handler runs after a click, a keyboard step, the end of a thumb drag or
// a change by code; never while the thumb is being dragged.
class HScrollBar : public Control {
 public:
  HScrollBar(Form& form, Control* container, RectTwips rect, int minimum, int maximum);
  int Value();
  void SetValue(int value);
  std::function<void()> onChange;

 protected:
  void OnCreated() override;
  void OnScroll(WORD code) override;

 private:
  void Change(int value);
  int minimum_;
  int maximum_;
  int value_;
};

struct ButtonSpec {
  const wchar_t* caption;
  RectTwips rect;
};

// Command buttons sharing one click handler that receives the element's index.
class CommandButtons {
 public:
  CommandButtons(Form& form, Control* container, std::initializer_list<ButtonSpec> buttons);
  Control& operator[](std::size_t index) { return *buttons_.at(index); }
  std::function<void(int index)> onClick;

 private:
  std::vector<std::unique_ptr<ArrayElement>> buttons_;
};

class Timer {
 public:
  Timer(Form& form, UINT intervalMs, bool enabledByDesign, std::function<void()> onTick);
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;
  bool Enabled() const noexcept { return enabled_; }
  void SetEnabled(bool enabled);

 private:
  friend class Form;
  void Apply();

  Form& form_;
  UINT interval_;
  bool enabledByDesign_;
  bool enabled_;
  std::function<void()> onTick_;
};

}  // namespace kavolt
