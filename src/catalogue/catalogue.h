#pragma once
// The built-in cleaning items: for each, its flag in the settings file, the label of its result
// row, the progress value set after it and its erasure steps.
#include <span>
#include <vector>

#include "catalogue/steps.h"

namespace catalogue {

// The Maxthon flags count as on for any text that reads as the number 1; every other item
// only for exactly "1".
enum class FlagRule { ExactlyOne, NumberOne };

constexpr int kNoProgress = -1;

struct Item {
  const wchar_t* section;
  const wchar_t* key;
  const wchar_t* label;
  int progress = kNoProgress;  // the bar is left where it is after an item without one
  FlagRule rule = FlagRule::ExactlyOne;
  std::vector<Step> steps = {};
};

std::span<const Item> BrowserItems();
std::span<const Item> WindowsItems();
std::span<const Item> MessengerItems();
std::span<const Item> OfficeItems();
std::span<const Item> MailItems();

// Learns which generation of the office suite is installed, once per run, before its items.
void PrepareOfficeItems(engine::ItemContext& context);

// A stretch of items the run walks in order, after an optional preparation that opens no row.
struct Stage {
  std::span<const Item> items;
  StepCall prepare = nullptr;
};

// Browsers, Windows, messengers, office suite, mail programs.
std::vector<Stage> RunStages();

// Every built-in item in the order the run reaches them.
std::vector<const Item*> RunOrder();

}  // namespace catalogue
