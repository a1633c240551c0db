#pragma once
// The property window: the song's title, its tempo step and the volume of each part.
// While a song plays, the volume bars serve as level meters (the player drives them).
#include "views/child_window.h"

#include <array>

class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QRadioButton;

namespace pipora {

class SignatureBoxes;

class PropertyWindow : public ChildWindow {
  Q_OBJECT
public:
  PropertyWindow(AppContext &ctx, QWidget *parent);

  // Outer heights of the two sizes the window snaps to, in design units (1/1440 inch).
  static constexpr int kTallDesignHeight = 3100;
  static constexpr int kShortDesignHeight = 1400;
  static constexpr int kSnapThresholdDesignHeight = 2250;
  // The design height in pixels (the tall size).
  static int designHeight();
  // The height in pixels a window dragged to `outerHeight` pixels snaps to.
  int snappedHeight(int outerHeight) const;

  // Title box, tempo buttons and volumes from the song (after new, open, import).
  void loadFromSong();
  // Title and tempo into the song (deactivation, save, play).
  void commitToSong();
  // The selected tempo button, or -1.
  int tempoChoice() const;

  // Volume change by a mouse button on part index i (0..15); every button marks dirty.
  void clickVolume(int index, Qt::MouseButton button, bool shift);

  // --- level meters, used by the player ---
  // On: every bar gets maximum 100 and value 0. Off: maximum 8 and the part volumes.
  void showLevels(bool on);
  // Sets a part's bar (1..16) to `level` when it does not exceed the bar's maximum.
  void setLevel(int part, int level);
  QProgressBar *bar(int part) const { return volumeBars_[static_cast<std::size_t>(part - 1)]; }
  // Every control enabled or disabled (disabled while playing).
  void setControlsEnabled(bool enabled);

  // The title as stored: at most 24 bytes in the phone's code page.
  static QString CutTitle(const QString &text);

  QLineEdit *titleBox() const { return titleBox_; }
  const std::array<QRadioButton *, 4> &tempoButtons() const { return tempoButtons_; }
  SignatureBoxes *signatures() const { return signatures_; }
  // Per part (index 0 is part 1): its number, its volume bar and the volume's value.
  const std::array<QLabel *, 16> &partNumberLabels() const { return partNumberLabels_; }
  const std::array<QProgressBar *, 16> &volumeBars() const { return volumeBars_; }
  const std::array<QLabel *, 16> &volumeLabels() const { return volumeLabels_; }

  // Small enough for the short height: the user drags between the two sizes.
  QSize minimumSizeHint() const override { return {120, 40}; }

  // True while this is the active window: Delete then acts on the title box.
  bool isActive() const { return active_; }
  void activated() override;
  void deactivated() override;

protected:
  void resizeEvent(QResizeEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void cutTitle();
  void showVolume(int index);
  int designUnitsPerPixel() const;

  QLineEdit *titleBox_ = nullptr;
  std::array<QRadioButton *, 4> tempoButtons_{};
  std::array<QLabel *, 16> partNumberLabels_{};
  std::array<QProgressBar *, 16> volumeBars_{};
  std::array<QLabel *, 16> volumeLabels_{};
  SignatureBoxes *signatures_ = nullptr;
  QGroupBox *titleFrame_ = nullptr;
  QGroupBox *volumeFrame_ = nullptr;
  bool snapping_ = false;
  bool active_ = false;
};

} // namespace pipora
