#pragma once
// The one way the engine and the folders below it report a failure: a value, or why there is none.
// std::optional where there is no reason to give; the text "Error" only where a stored value or a
// shown text needs it, at the caller that stores or shows it.
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace platform {

// Why something could not be done, in words a person reads.
struct Failure {
  std::wstring reason;
  unsigned long systemError = 0;  // the system's error code behind it, when there is one
};

// A system error code as the reason: "error 5", as the messages that show one write it, in the
// language in force.
Failure SystemFailure(unsigned long error);

template <typename T>
class Result {
 public:
  Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
  Result(Failure failure) : state_(std::in_place_index<1>, std::move(failure)) {}

  explicit operator bool() const { return state_.index() == 0; }
  const T& operator*() const { return std::get<0>(state_); }
  T& operator*() { return std::get<0>(state_); }
  const T* operator->() const { return &std::get<0>(state_); }
  T* operator->() { return &std::get<0>(state_); }
  // Why there is no value; only for a failed result.
  const std::wstring& Reason() const { return std::get<1>(state_).reason; }
  unsigned long SystemError() const { return std::get<1>(state_).systemError; }

 private:
  std::variant<T, Failure> state_;
};

// A step with nothing to give back: done (`return {};`), or why not.
template <>
class Result<void> {
 public:
  Result() = default;
  Result(Failure failure) : failure_(std::move(failure)) {}

  explicit operator bool() const { return !failure_; }
  // Why it was not done; only for a failed result.
  const std::wstring& Reason() const { return failure_->reason; }
  unsigned long SystemError() const { return failure_->systemError; }

 private:
  std::optional<Failure> failure_;
};

}  // namespace platform
