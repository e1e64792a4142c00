#pragma once

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

#include "forms/control.h"

namespace kavolt {

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

}  // namespace kavolt
