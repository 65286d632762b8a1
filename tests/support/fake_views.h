// fake_views.h: the window's lists, HEX path field, status picture and mode buttons in memory.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/choice_list_view.h"
#include "flash/flash_modes.h"
#include "flash/flash_state.h"
#include "tests/support/journal.h"
#include "watch/hex_path_view.h"

namespace quillbrook::testing {

// A drop-down list: appending to a list without selection selects the first item, and the program's
// own changes never raise the selection event. Only UserChoose, the test acting as the user, does.
class FakeChoiceListView : public ChoiceListView {
 public:
  // name: how the journal calls this list ("TypeBox", "PortBox"); journal may be null.
  FakeChoiceListView(std::string name, Journal* journal)
      : name_(std::move(name)), journal_(journal) {}

  void Clear() override;
  void Append(const std::string& item) override;
  std::vector<std::string> Items() const override { return items_; }
  void Select(int index) override;
  std::string Text() const override;

  // The user picks the item with exactly this text: it is selected, then the selection event is
  // raised. False, and nothing happens, when no item has that text.
  bool UserChoose(std::string_view text);

  int selected() const { return selected_; }
  int clears() const { return clears_; }
  // The reaction to the user's choice, connected by the test.
  std::function<void()> onUserChoice;

 private:
  std::string name_;
  Journal* journal_;
  std::vector<std::string> items_;
  int selected_ = -1;
  int clears_ = 0;
};

// The HEX path field. A text set with echo, or typed by the user, raises the text-change event even
// when it equals the old text; a text set without echo raises nothing.
class FakeHexPathView : public HexPathView {
 public:
  explicit FakeHexPathView(Journal* journal) : journal_(journal) {}

  std::string Text() const override { return text_; }
  void SetTextWithEcho(const std::string& text) override;
  void SetTextWithoutEcho(const std::string& text) override;

  // The user's keystroke (or paste, or cut) that leaves the field holding text.
  void UserType(const std::string& text);

  int echoedSets() const { return echoedSets_; }
  int silentSets() const { return silentSets_; }
  // The reaction to a change of the text, connected by the test.
  std::function<void(const std::string& text)> onEdit;

 private:
  Journal* journal_;
  std::string text_ = "drop file here";
  int echoedSets_ = 0;
  int silentSets_ = 0;
};

// The status picture: every state shown, with the moment it was shown and the hint set with it.
class FakeStatusView : public StatusIndicatorView {
 public:
  struct Shown {
    std::chrono::milliseconds at;
    FlashState state;
    std::string hint;

    bool operator==(const Shown&) const = default;
  };

  // now: the clock the moments are read from; journal may be null.
  FakeStatusView(std::function<std::chrono::milliseconds()> now, Journal* journal)
      : now_(std::move(now)), journal_(journal) {}

  void ShowStatusPicture(FlashState state) override;
  void SetStatusHint(const std::string& text) override;

  const std::vector<Shown>& shown() const { return shown_; }
  // The states alone, in order.
  std::vector<FlashState> States() const;
  // The state the picture shows now; kNoChanges before anything was shown.
  FlashState Current() const {
    return shown_.empty() ? FlashState::kNoChanges : shown_.back().state;
  }
  // Hints set without a picture before them, or twice for one picture: the picture and its text
  // must always change together.
  int strayHints() const { return strayHints_; }

 private:
  std::function<std::chrono::milliseconds()> now_;
  Journal* journal_;
  std::vector<Shown> shown_;
  bool hintPending_ = false;
  int strayHints_ = 0;
};

// The four mode buttons: which are visible, and every change in order.
class FakeModeButtons : public ModeButtonsView {
 public:
  explicit FakeModeButtons(Journal* journal) : journal_(journal) {}

  void SetModeButtonVisible(ModeButton button, bool visible) override;

  // False for a button that was never shown.
  bool IsVisible(ModeButton button) const;
  // Called at each change, before it is recorded: lets a test look at the program in between.
  std::function<void(ModeButton button, bool visible)> onChange;

 private:
  Journal* journal_;
  std::map<ModeButton, bool> visible_;
};

// How the journal names a button and a state.
std::string ButtonName(ModeButton button);
std::string StateName(FlashState state);

}  // namespace quillbrook::testing
