#include "formats/smd/title_conversion.h"

namespace pipora {

int JisPairToShiftJis(const QByteArray &jis, QByteArray &out) {
  int pairs = 0;
  for (qsizetype i = 0; i + 1 < jis.size(); i += 2) {
    int c1 = static_cast<unsigned char>(jis[i]);
    int c2 = static_cast<unsigned char>(jis[i + 1]);
    if (c1 % 2 == 1) {
      c2 += 0x1F;
    } else {
      c1 -= 1;
      c2 += 0x7D;
    }
    if (c2 > 0x7E)
      c2 += 1;
    c1 = (c1 - 33) / 2 + 0x81;
    if (c1 > 0x9F)
      c1 += 0x40;
    out += static_cast<char>(c1 & 0xFF);
    out += static_cast<char>(c2 & 0xFF);
    ++pairs;
  }
  return pairs;
}

char getKana(char c) {
  return static_cast<char>(static_cast<unsigned char>(c) + 128);
}

QByteArray ConvertTitle(const QByteArray &raw) {
  QByteArray out;
  out.reserve(raw.size());
  bool doubleByte = false;
  bool kana = false;
  for (qsizetype i = 0; i < raw.size();) {
    const char c = raw[i];
    if (c == 0x1B) {
      const QByteArray seq = raw.mid(i, 3);
      if (seq == "\x1b$B") {
        doubleByte = true;
        i += 3;
      } else if (seq == "\x1b(B") {
        doubleByte = false;
        i += 3;
      } else {
        ++i;
      }
    } else if (c == 0x0E) {
      kana = true;
      ++i;
    } else if (c == 0x0F) {
      kana = false;
      ++i;
    } else if (doubleByte) {
      // A lone last byte cannot form a character and is dropped.
      JisPairToShiftJis(raw.mid(i, 2), out);
      i += 2;
    } else if (kana) {
      out += getKana(c);
      ++i;
    } else {
      out += c;
      ++i;
    }
  }
  return out;
}

} // namespace pipora
