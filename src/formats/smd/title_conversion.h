#pragma once
// Titles stored in 7-bit JIS form by phones and other tools: ESC "$B" ... ESC "(B"
// around double-byte characters, shift-out/shift-in around half-width katakana.
// The conversion gives Shift-JIS bytes; titles without those controls pass unchanged.
#include <QByteArray>

namespace pipora {

// Raw title bytes (everything before the first part) to Shift-JIS bytes.
QByteArray ConvertTitle(const QByteArray &raw);

// Converts `jis` pair by pair (JIS X 0208 row/cell bytes 0x21..0x7E) to Shift-JIS,
// appending to `out`; returns the number of pairs. A trailing odd byte is ignored.
int JisPairToShiftJis(const QByteArray &jis, QByteArray &out);

// A 7-bit character to its JIS X 0201 half-width katakana (code + 128).
char getKana(char c);

} // namespace pipora
