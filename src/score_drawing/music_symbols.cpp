#include "score_drawing/music_symbols.h"

#include <QFont>
#include <QTransform>

namespace pipora {

MusicFont::MusicFont() {
  QFont music(QStringLiteral("Noto Music"));
  music.setPixelSize(100);
  font_ = QRawFont::fromFont(music);
  const QPainterPath head = raw(kBlackHeadSymbol);
  if (!head.isEmpty())
    scale_ = kSymbolStaffSpace / head.boundingRect().height();
}

QPainterPath MusicFont::raw(char32_t c) const {
  if (!font_.isValid())
    return {};
  const QList<quint32> glyphs = font_.glyphIndexesForString(QString::fromUcs4(&c, 1));
  if (glyphs.isEmpty() || glyphs.first() == 0)
    return {};
  return font_.pathForGlyph(glyphs.first());
}

QPainterPath MusicFont::symbol(char32_t c) const {
  const QPainterPath p = raw(c);
  return p.isEmpty() ? p : ScaledToOrigin(p, scale_);
}

namespace {

QPainterPath Turned(const QPainterPath &path, bool mirrored) {
  if (!mirrored)
    return path;
  QTransform mirror;
  mirror.scale(1, -1);
  return mirror.map(path);
}

FontSymbol Placed(FontSymbol symbol) {
  const QRectF ink = Turned(symbol.font.pathForGlyph(symbol.index), symbol.mirrored).boundingRect();
  symbol.origin = -ink.topLeft();
  symbol.inkSize = ink.size();
  return symbol;
}

} // namespace

FontSymbol SymbolOf(const QRawFont &font, char32_t c, double factor) {
  FontSymbol symbol;
  if (!font.isValid() || factor <= 0)
    return symbol;
  const QList<quint32> glyphs = font.glyphIndexesForString(QString::fromUcs4(&c, 1));
  if (glyphs.isEmpty() || glyphs.first() == 0)
    return symbol;
  symbol.font = font;
  symbol.font.setPixelSize(font.pixelSize() * factor);
  symbol.index = glyphs.first();
  return Placed(symbol);
}

FontSymbol Mirrored(const FontSymbol &symbol) {
  if (!symbol.valid())
    return symbol;
  FontSymbol turned = symbol;
  turned.mirrored = !symbol.mirrored;
  return Placed(turned);
}

QPainterPath FontSymbol::path() const {
  if (!valid())
    return {};
  return Turned(font.pathForGlyph(index), mirrored).translated(origin);
}

QPainterPath ScaledToOrigin(const QPainterPath &path, double factor) {
  QTransform t;
  t.scale(factor, factor);
  const QPainterPath p = t.map(path);
  return p.translated(-p.boundingRect().topLeft());
}

QPainterPath TextPath(const QString &text, const QFont &font) {
  QPainterPath p;
  p.addText(0, 0, font, text);
  return p.translated(-p.boundingRect().topLeft());
}

QPainterPath PaintedHead(bool black) {
  QPainterPath outer;
  outer.addEllipse(QRectF(0, 0, 14, 11));
  if (!black) {
    QPainterPath inner;
    inner.addEllipse(QRectF(4, 2.5, 6, 6));
    outer = outer.subtracted(inner);
  }
  return outer;
}

QPainterPath PaintedFlags(int flags) {
  QPainterPath path;
  for (int i = 0; i < flags; ++i) {
    QPainterPath f;
    f.moveTo(0, i * 7);
    f.cubicTo(2, i * 7 + 6, 9, i * 7 + 9, 7, i * 7 + 18);
    f.cubicTo(8, i * 7 + 11, 3, i * 7 + 8, 0, i * 7 + 5);
    path.addPath(f);
  }
  return path;
}

QPainterPath MirroredFlag(const QPainterPath &flag) {
  QTransform mirror;
  mirror.scale(1, -1);
  const QPainterPath p = mirror.map(flag);
  return p.translated(-p.boundingRect().topLeft());
}

} // namespace pipora
