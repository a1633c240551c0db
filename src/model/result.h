#pragma once
// The one error convention of the program: a value, or an Error saying what went wrong.
// Reads that can stop part way (a damaged MIDI file still gives the notes before the damage)
// return a Report: the value read so far, warnings, and the error that stopped them.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace pipora {

// A note of the song: the part (1..16) and the element's index in its note list.
struct NotePlace {
  int part = 0;
  int element = 0;
  bool operator==(const NotePlace &) const = default;
};

struct Error {
  Error() = default;
  Error(std::string what, std::optional<std::int64_t> at = std::nullopt)
      : message(std::move(what)), offset(at) {}
  Error(std::string what, NotePlace where) : message(std::move(what)), place(where) {}

  // What went wrong, in words the user can read.
  std::string message;
  // For damaged input: where the damage starts, counted in bytes from 0.
  std::optional<std::int64_t> offset;
  // For a song that cannot be written: the note that stopped it (for a triplet, the
  // element of the group that failed). The editor shows the note with the message.
  std::optional<NotePlace> place;

  // The message as shown: "12バイト目: ..." (counted from 1) when the offset is known.
  std::string text() const {
    if (!offset)
      return message;
    return std::to_string(*offset + 1) + "バイト目: " + message;
  }
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
  const T &operator*() const { return *value_; }
  T *operator->() { return &*value_; }
  const T *operator->() const { return &*value_; }

  // The error itself, to pass on with its offset: `return result.failure();`.
  const Error &failure() const { return error_; }
  // The error's text as shown to the user.
  std::string error() const { return error_.text(); }

private:
  std::optional<T> value_;
  Error error_;
};

struct Ok {};
using Status = Result<Ok>;

// The outcome of a read that keeps what it got before it stopped.
template <typename T> struct Report {
  T value{};
  // Things read but changed on the way in (a note folded into range, a part cut short).
  std::vector<std::string> warnings;
  // What stopped the reading early; the value holds everything read before it.
  std::optional<Error> error;

  bool complete() const { return !error.has_value(); }
};

} // namespace pipora
