#pragma once
// The manual's pages are written for a web browser; the help window's HTML viewer knows a
// smaller part of HTML and CSS. These rules turn a page into what that viewer lays out well.
#include <QSize>
#include <QString>

#include <functional>

namespace pipora {

// The page as the help window shows it:
//  - a figure becomes a centred picture no wider than `width` pixels (`imageSize` gives a
//    picture's own size by its src) with its caption below it, instead of an inline picture
//    that a heading and the caption's words wrap around;
//  - the page list becomes one line of links;
//  - a line break between Japanese words goes, which the viewer would show as a space in the
//    middle of a sentence.
QString ManualPageForViewer(const QString &html, int width,
                            const std::function<QSize(const QString &)> &imageSize);

} // namespace pipora
