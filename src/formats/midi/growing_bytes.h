#pragma once
// Bytes written one small piece at a time into a buffer grown ahead of them: the MIDI
// writer stores a few bytes per event and its log a few characters, hundreds of thousands
// of times per file, so a piece costs a bounds check and a copy, not a call into QByteArray.
#include <QByteArray>
#include <algorithm>
#include <cstddef>
#include <cstring>

namespace pipora {

class GrowingBytes {
public:
  std::size_t size() const { return size_; }

  // Room for `bytes` more, so that output of known size is not copied as it grows.
  void reserve(std::size_t bytes) {
    if (size_ + bytes > room_)
      grow(size_ + bytes);
  }

  void push(char c) {
    if (size_ == room_)
      grow(2 * room_ + 256);
    data_[size_++] = c;
  }

  void append(const char *data, std::size_t n) {
    if (size_ + n > room_)
      grow(std::max(size_ + n, 2 * room_ + 256));
    char *to = data_ + size_;
    // Most pieces are a few bytes: a loop beats a call to memcpy.
    if (n <= 16) {
      for (std::size_t i = 0; i < n; ++i)
        to[i] = data[i];
    } else {
      std::memcpy(to, data, n);
    }
    size_ += n;
  }

  // `n` more bytes, counted as written, for the caller to fill in place.
  char *extend(std::size_t n) {
    if (size_ + n > room_)
      grow(std::max(size_ + n, 2 * room_ + 256));
    char *to = data_ + size_;
    size_ += n;
    return to;
  }

  // Overwrites a byte already written (a length field filled in afterwards).
  void patch(std::size_t at, char c) { data_[at] = c; }

  QByteArray bytes() const { return buffer_.first(static_cast<qsizetype>(size_)); }

  // The bytes written, without a copy; the buffer is empty afterwards.
  QByteArray take() {
    buffer_.truncate(static_cast<qsizetype>(size_));
    QByteArray taken = std::move(buffer_);
    buffer_ = QByteArray();
    data_ = nullptr;
    size_ = room_ = 0;
    return taken;
  }

private:
  void grow(std::size_t room) {
    buffer_.resize(static_cast<qsizetype>(room));
    data_ = buffer_.data();
    room_ = room;
  }

  QByteArray buffer_;    // bytes past size_ are not part of the output
  char *data_ = nullptr; // buffer_'s bytes, kept to spare a detach check per piece
  std::size_t size_ = 0;
  std::size_t room_ = 0;
};

} // namespace pipora
