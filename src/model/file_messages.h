#pragma once
// The messages of reading and writing files, as the user sees them in a dialog or on the
// command line. A failed read or write is shown as the path, the reason and the closing
// message, one per line.
#include <cstdint>
#include <string>
#include <string_view>

namespace pipora {

inline constexpr std::string_view kReadFailedMessage = "ファイルの読み込みに失敗しました。";
inline constexpr std::string_view kWriteFailedMessage = "ファイルの保存に失敗しました。";
inline constexpr std::string_view kChangedQuestion = "ファイルは変更されています。保存しますか。";
inline constexpr std::string_view kOverwriteQuestion =
    "同じ名前のファイルが存在します。上書きしますか。";
inline constexpr std::string_view kNotRegularFileMessage = "通常のファイルではありません";
// "a.smd は既に存在します。上書きしますか？": before a first save replaces a file the song did
// not come from.
inline constexpr std::string_view kAlreadyExistsQuestion = " は既に存在します。上書きしますか？";

// Larger song files are refused before reading: a ringtone is a few kilobytes (a million-note
// song is under 4 MB), and reading a MIDI file takes memory for it and a log several times its
// size.
inline constexpr std::int64_t kMaxSongFileBytes = std::int64_t{64} << 20;

// The reason given for a file refused by its size: "ファイルが大きすぎます（64 MB まで）".
inline std::string TooLargeText(std::int64_t limitBytes) {
  return "ファイルが大きすぎます（" + std::to_string(limitBytes >> 20) + " MB まで）";
}

} // namespace pipora
