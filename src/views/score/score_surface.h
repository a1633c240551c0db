#pragma once
// The score editor's drawing surface: an image the window draws into, shown at the zoom
// scale (the whole score larger or smaller, staff size and all); it takes the keys and the
// dropped files and reports focus changes. The mouse is read by ScoreMouse.
#include <QImage>
#include <QStringList>
#include <QWidget>

namespace pipora {

class ScoreSurface : public QWidget {
  Q_OBJECT
public:
  explicit ScoreSurface(QWidget *parent = nullptr);

  QImage &image() { return image_; }
  const QImage &image() const { return image_; }
  // Keeps the image as large as the widget at the zoom scale (new pixels white).
  void fitImage();
  // The widget's pixels per pixel of the image: 1 draws the score as it is laid out.
  double scale() const { return scale_; }
  void setScale(double scale);
  // The image's size, in which the score is laid out and drawn.
  QSize scoreSize() const { return image_.size(); }
  // A point of the widget in the image's pixels.
  QPoint toScore(QPointF widgetPoint) const;

signals:
  // Classic key code and modifier mask (Shift 1, Ctrl 2, Alt 4).
  void keyDown(int keyCode, int shift);
  void focusChanged(bool hasFocus);
  void filesDropped(const QStringList &paths);

protected:
  void paintEvent(QPaintEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  void focusInEvent(QFocusEvent *event) override;
  void focusOutEvent(QFocusEvent *event) override;
  void dragEnterEvent(QDragEnterEvent *event) override;
  void dropEvent(QDropEvent *event) override;
  bool focusNextPrevChild(bool next) override;

private:
  QImage image_;
  double scale_ = 1.0;
};

// The classic key code of a key press on this surface: digits and letters by their key
// (Shift+3 stays 3 although it types "#"), 0 when the key has no code.
int ScoreKeyCode(int qtKey, Qt::KeyboardModifiers modifiers);

} // namespace pipora
