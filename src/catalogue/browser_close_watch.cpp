#include "catalogue/browser_close_watch.h"

#include <algorithm>

namespace catalogue {

namespace {

std::vector<platform::Program> Programs(const std::vector<const ClosingBrowser*>& browsers,
                                        const std::wstring& localAppData) {
  std::vector<platform::Program> programs;
  for (const ClosingBrowser* browser : browsers) programs.push_back(ProcessesOf(ProgramOf(*browser), localAppData));
  return programs;
}

}  // namespace

BrowserCloseWatch::BrowserCloseWatch(std::vector<const ClosingBrowser*> browsers, const std::wstring& localAppData,
                                     CloseHooks hooks, CloseTiming timing)
    : browsers_(std::move(browsers)),
      hooks_(std::move(hooks)),
      timing_(timing),
      states_(browsers_.size(), State::Closed),
      closedAt_(browsers_.size()),
      watch_(
          Programs(browsers_, localAppData),
          [this](size_t browser, bool running) {
            {
              std::lock_guard lock(mutex_);
              changes_.push_back({browser, running});
            }
            if (hooks_.wake) hooks_.wake();
          },
          timing.look) {}

void BrowserCloseWatch::Take(const Change& change) {
  State& state = states_[change.browser];
  if (change.running) {
    // Started again before its cleaning: that cleaning is off; the next close brings another.
    state = State::Running;
  } else if (state == State::Running) {
    state = State::Releasing;
    closedAt_[change.browser] = hooks_.clock();
  }
}

void BrowserCloseWatch::Tick() {
  std::vector<Change> changes;
  {
    std::lock_guard lock(mutex_);
    changes.swap(changes_);
  }
  for (const Change& change : changes) Take(change);
  if (cleaning_) return;
  for (size_t i = 0; i < browsers_.size(); ++i) {
    const ClosingBrowser& browser = *browsers_[i];
    if (states_[i] == State::Releasing &&
        (hooks_.released(browser) ||
         hooks_.clock() - closedAt_[i] >= static_cast<ULONGLONG>(timing_.releaseLimit.count()))) {
      states_[i] = State::Queued;
    }
    if (states_[i] != State::Queued) continue;
    // Started again since the last look, which the watch reports only at its next: the wait starts
    // over, and that look calls the cleaning off.
    if (platform::AnyRuns(watch_.Programs()[i])) {
      states_[i] = State::Releasing;
      closedAt_[i] = hooks_.clock();
      continue;
    }
    states_[i] = State::Closed;
    cleaning_ = true;
    bool cleaned = hooks_.clean(browser);
    cleaning_ = false;
    // Refused while another cleaning runs: it waits for its turn, unless the browser started again.
    if (!cleaned && states_[i] == State::Closed) states_[i] = State::Queued;
  }
}

bool BrowserCloseWatch::Waiting() const {
  return std::any_of(states_.begin(), states_.end(),
                     [](State state) { return state == State::Releasing || state == State::Queued; });
}

}  // namespace catalogue
