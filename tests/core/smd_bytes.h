#pragma once
// What the SMD tests share: the part frame's bytes and a check of a decoded part's notes.
#include "model/song.h"

#include <QByteArray>
#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

namespace pipora::test {

// A part starts with ESC $ D and ends with shift-in.
inline const QByteArray kStart("\x1b$D");
inline const QByteArray kEnd("\x0f");

struct Expected {
  int number;
  const char *length;
  const char *pitch;
};

// The part holds exactly these notes, then its EndMarker.
inline void ExpectNotes(const Part &part, const std::vector<Expected> &expected) {
  ASSERT_EQ(part.count, static_cast<int>(expected.size()));
  ASSERT_EQ(part.notes.size(), expected.size() + 1);
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(part.notes[i].noteNumber, expected[i].number);
    EXPECT_EQ(part.notes[i].length, expected[i].length);
    EXPECT_EQ(part.notes[i].pitch, expected[i].pitch);
  }
  EXPECT_TRUE(part.notes.back().isEndMarker());
}

} // namespace pipora::test
