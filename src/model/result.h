#pragma once
// The one error convention of the core: a value, or a message saying what went wrong.
#include <optional>
#include <string>
#include <utility>

namespace pipora {

struct Error {
  std::string message;
};

template <typename T> class Result {
public:
  Result(T value) : value_(std::move(value)) {}
  Result(Error error) : error_(std::move(error)) {}

  explicit operator bool() const { return value_.has_value(); }
  bool ok() const { return value_.has_value(); }
  T &value() { return *value_; }
  const T &value() const { return *value_; }
  T &operator*() { return *value_; }
  T *operator->() { return &*value_; }
  const std::string &error() const { return error_.message; }

private:
  std::optional<T> value_;
  Error error_;
};

struct Ok {};
using Status = Result<Ok>;

} // namespace pipora
