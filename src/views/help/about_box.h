#pragma once
// "PiporaPadのバージョン情報": the icon, the title, the version, what the program does, where
// to send comments, OK.
#include <QDialog>

class QLabel;
class QPushButton;

namespace pipora {

// "バージョン " + major "." minor and revision written together: 1, 8, 3 gives "1.83".
QString VersionText(int major, int minor, int revision);
// The version this program was built as.
QString ProgramVersionText();

class AboutBox : public QDialog {
  Q_OBJECT
public:
  explicit AboutBox(QWidget *parent = nullptr);

  QLabel *titleLabel() const { return titleLabel_; }
  QLabel *versionLabel() const { return versionLabel_; }
  QLabel *descriptionLabel() const { return descriptionLabel_; }
  QPushButton *okButton() const { return okButton_; }

private:
  QLabel *titleLabel_ = nullptr;
  QLabel *versionLabel_ = nullptr;
  QLabel *descriptionLabel_ = nullptr;
  QPushButton *okButton_ = nullptr;
};

} // namespace pipora
