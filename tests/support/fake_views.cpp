// fake_views.cpp: the window's lists, HEX path field, status picture and mode buttons in memory.
#include "tests/support/fake_views.h"

#include <algorithm>

namespace quillbrook::testing {

void FakeChoiceListView::Clear() {
  items_.clear();
  selected_ = -1;
  ++clears_;
  if (journal_ != nullptr) {
    journal_->Add(name_ + ": clear");
  }
}

void FakeChoiceListView::Append(const std::string& item) {
  items_.push_back(item);
  if (selected_ < 0) {
    selected_ = 0;
  }
}

void FakeChoiceListView::Select(int index) {
  selected_ = index >= 0 && index < static_cast<int>(items_.size()) ? index : -1;
  if (journal_ != nullptr) {
    journal_->Add(name_ + ": select " + std::to_string(selected_));
  }
}

std::string FakeChoiceListView::Text() const {
  return selected_ < 0 ? std::string() : items_[static_cast<std::size_t>(selected_)];
}

bool FakeChoiceListView::UserChoose(std::string_view text) {
  const auto found = std::find(items_.begin(), items_.end(), text);
  if (found == items_.end()) {
    return false;
  }
  selected_ = static_cast<int>(found - items_.begin());
  if (onUserChoice) {
    onUserChoice();
  }
  return true;
}

void FakeHexPathView::SetTextWithEcho(const std::string& text) {
  ++echoedSets_;
  if (journal_ != nullptr) {
    journal_->Add("HexPathEdit: set with echo \"" + text + "\"");
  }
  UserType(text);
}

void FakeHexPathView::SetTextWithoutEcho(const std::string& text) {
  ++silentSets_;
  if (journal_ != nullptr) {
    journal_->Add("HexPathEdit: set without echo \"" + text + "\"");
  }
  text_ = text;
}

void FakeHexPathView::UserType(const std::string& text) {
  text_ = text;
  if (onEdit) {
    onEdit(text_);
  }
}

void FakeStatusView::ShowStatusPicture(FlashState state) {
  if (hintPending_) {
    ++strayHints_;  // the previous picture never got its hint
  }
  shown_.push_back(Shown{now_(), state, {}});
  hintPending_ = true;
  if (journal_ != nullptr) {
    journal_->Add("StatusPicture: " + StateName(state));
  }
}

void FakeStatusView::SetStatusHint(const std::string& text) {
  if (!hintPending_) {
    ++strayHints_;
    return;
  }
  shown_.back().hint = text;
  hintPending_ = false;
}

std::vector<FlashState> FakeStatusView::States() const {
  std::vector<FlashState> states;
  for (const Shown& shown : shown_) {
    states.push_back(shown.state);
  }
  return states;
}

void FakeModeButtons::SetModeButtonVisible(ModeButton button, bool visible) {
  if (onChange) {
    onChange(button, visible);
  }
  visible_[button] = visible;
  if (journal_ != nullptr) {
    journal_->Add(ButtonName(button) + (visible ? ": visible" : ": hidden"));
  }
}

bool FakeModeButtons::IsVisible(ModeButton button) const {
  const auto found = visible_.find(button);
  return found != visible_.end() && found->second;
}

std::string ButtonName(ModeButton button) {
  switch (button) {
    case ModeButton::kAutoFlash:
      return "AutoFlashButton";
    case ModeButton::kManualFlash:
      return "ManualFlashButton";
    case ModeButton::kLogShown:
      return "LogShownButton";
    case ModeButton::kNoLog:
      return "NoLogButton";
  }
  return "?";
}

std::string StateName(FlashState state) {
  switch (state) {
    case FlashState::kNoChanges:
      return "0";
    case FlashState::kChangesDetected:
      return "1";
    case FlashState::kFlashing:
      return "2";
    case FlashState::kDone:
      return "3";
  }
  return "?";
}

}  // namespace quillbrook::testing
