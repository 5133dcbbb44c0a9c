#include "ui/notification_queue.h"

#include <algorithm>

#include "platform/translation.h"

namespace ui {

void NotificationDispatcher::Queue(const run::NotificationRequest& request) {
  if (onScreen_ && !request.allowDuplicateTitles && onScreen_->Request().title == request.title) {
    onScreen_->UpdateNotification(request);
    return;
  }
  const std::wstring& key = request.allowDuplicateTitles ? request.description : request.title;
  RemoveQueued(key);
  queue_.emplace_back(key, request);
}

void NotificationDispatcher::RemoveQueued(const std::wstring& key) {
  std::erase_if(queue_, [&](const auto& entry) { return entry.first == key; });
}

void NotificationDispatcher::Tick() {
  retired_.reset();
  if (queue_.empty() || onScreen_) return;
  run::NotificationRequest request = std::move(queue_.front().second);
  queue_.erase(queue_.begin());
  onScreen_ = factory_();
  onScreen_->ShowNotification(request);
}

void NotificationDispatcher::Finished() { retired_ = std::move(onScreen_); }

std::vector<std::wstring> NotificationDispatcher::QueuedKeys() const {
  std::vector<std::wstring> keys;
  for (const auto& entry : queue_) keys.push_back(entry.first);
  return keys;
}

const run::NotificationRequest* NotificationDispatcher::Queued(const std::wstring& key) const {
  auto found = std::find_if(queue_.begin(), queue_.end(), [&](const auto& entry) { return entry.first == key; });
  return found == queue_.end() ? nullptr : &found->second;
}

void PopupAnimation::SetWidth(int width) {
  bounds_.width = width;
  bounds_.left = workAreaRight_ - (width + 100);
}

void PopupAnimation::Start() {
  bounds_.top = workAreaBottom_ - 10;
  bounds_.height = 10;
  growing_ = true;
}

PopupAnimation::Step PopupAnimation::Tick() {
  bounds_.top = workAreaBottom_ - bounds_.height;
  if (growing_) {
    bounds_.height += kStep;
    if (bounds_.height >= fullHeight_) {
      bounds_.height = fullHeight_;
      growing_ = false;
      return {kStayTime, false};
    }
    return {kStepInterval, false};
  }
  bounds_.height -= kStep;
  return {kStepInterval, bounds_.height < kStep};
}

std::wstring NotificationClickMessage(const std::wstring& key, const std::wstring& applicationTitle) {
  std::wstring message = platform::Tr(L"Tnank you for using our product");
  if (key == L"ALERT" || key == L"MESSAGE") return message;
  return message + L" " + applicationTitle;
}

}  // namespace ui
