#include "forms/buttons.h"

#include <commctrl.h>

namespace kavolt {
namespace {

bool IsChecked(HWND button) {
  return ::SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SetChecked(HWND button, bool checked) {
  ::SendMessageW(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

}  // namespace

CheckBox::CheckBox(Form& form, Control* container, RectTwips rect, const wchar_t* caption,
                   bool visible)
    : Control(form, container,
              ControlSpec{.windowClass = WC_BUTTONW,
                          .style = BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP,
                          .text = caption,
                          .rect = rect,
                          .visible = visible}) {}

void CheckBox::OnCreated() { value_ = false; }

bool CheckBox::Value() {
  Handle();
  return value_;
}

void CheckBox::SetValue(bool ticked) {
  HWND window = Handle();
  if (ticked == value_) return;
  value_ = ticked;
  SetChecked(window, ticked);
  if (onChange) onChange();
}

void CheckBox::OnCommand(WORD code) {
  if (code != BN_CLICKED) return;
  const bool ticked = IsChecked(ExistingHandle());
  if (ticked == value_) return;
  value_ = ticked;
  if (onChange) onChange();
}

// ---- OptionGroup ----------------------------------------------------------------

ArrayElement::ArrayElement(Form& form, Control* container, ControlSpec spec,
                           std::function<void()> onCreated,
                           std::function<void(WORD code)> onCommand)
    : Control(form, container, spec),
      onCreated_(std::move(onCreated)),
      onCommand_(std::move(onCommand)) {}

void ArrayElement::OnCreated() {
  if (onCreated_) onCreated_();
}

void ArrayElement::OnCommand(WORD code) {
  if (onCommand_) onCommand_(code);
}

OptionGroup::OptionGroup(Form& form, Control* container, std::initializer_list<OptionSpec> options,
                         FontSpec font, std::size_t selectedByDesign)
    : form_(form), selectedByDesign_(selectedByDesign), selected_(selectedByDesign) {
  for (const OptionSpec& option : options) {
    const bool first = buttons_.empty();
    const ControlSpec spec{.windowClass = WC_BUTTONW,
                           .style = static_cast<DWORD>(BS_AUTORADIOBUTTON | (first ? WS_GROUP : 0)),
                           .text = option.caption,
                           .rect = option.rect,
                           .font = font,
                           .tooltip = option.tooltip};
    const std::size_t index = buttons_.size();
    buttons_.push_back(std::make_unique<ArrayElement>(
        form, container, spec,
        [this, index] { ShowSelection(selectedByDesign_, buttons_[index].get()); },
        [this](WORD code) {
          if (code == BN_CLICKED) NoteUserClick();
        }));
  }
}

void OptionGroup::ShowSelection(std::size_t index, const Control* only) {
  selected_ = index;
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    if (only != nullptr && buttons_[i].get() != only) continue;
    HWND button = buttons_[i]->ExistingHandle();
    if (button == nullptr) continue;
    SetChecked(button, i == index);
    // The tab stop sits on the selected option, as in any dialog's option group.
    LONG_PTR style = ::GetWindowLongPtrW(button, GWL_STYLE);
    style = i == index ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
    ::SetWindowLongPtrW(button, GWL_STYLE, style);
  }
}

void OptionGroup::Select(std::size_t index) {
  form_.Handle();
  if (index >= buttons_.size() || index == selected_) return;
  ShowSelection(index, nullptr);
  if (onClick) onClick(static_cast<int>(index));
}

bool OptionGroup::IsSelected(std::size_t index) {
  form_.Handle();
  return index == selected_;
}

void OptionGroup::NoteUserClick() {
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    if (!IsChecked(buttons_[i]->ExistingHandle())) continue;
    if (i != selected_) {
      ShowSelection(i, nullptr);
      if (onClick) onClick(static_cast<int>(i));
    }
    return;
  }
}

CommandButtons::CommandButtons(Form& form, Control* container,
                               std::initializer_list<ButtonSpec> buttons) {
  for (const ButtonSpec& button : buttons) {
    const int index = static_cast<int>(buttons_.size());
    buttons_.push_back(std::make_unique<ArrayElement>(
        form, container,
        ControlSpec{.windowClass = WC_BUTTONW,
                    .style = BS_PUSHBUTTON | WS_TABSTOP | WS_CLIPSIBLINGS,
                    .text = button.caption,
                    .rect = button.rect},
        nullptr,
        [this, index](WORD code) {
          if (code == BN_CLICKED && onClick) onClick(index);
        }));
  }
}

}  // namespace kavolt
