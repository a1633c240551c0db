#include "views/help/about_box.h"

#include "platform/ui/app_icon.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace pipora {
namespace {

const QString kProgramTitle = QStringLiteral("PiporaPad");

} // namespace

QString VersionText(int major, int minor, int revision) {
  return QStringLiteral("バージョン %1.%2%3").arg(major).arg(minor).arg(revision);
}

QString ProgramVersionText() {
  return VersionText(PIPORAPAD_VERSION_MAJOR, PIPORAPAD_VERSION_MINOR, PIPORAPAD_VERSION_PATCH);
}

AboutBox::AboutBox(QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("aboutBox"));
  setWindowTitle(kProgramTitle + QStringLiteral("のバージョン情報"));
  setModal(true);

  auto *icon = new QLabel(this);
  icon->setObjectName(QStringLiteral("iconLabel"));
  icon->setPixmap(ProgramIcon().pixmap(48, 48));
  icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

  titleLabel_ = new QLabel(kProgramTitle, this);
  titleLabel_->setObjectName(QStringLiteral("titleLabel"));
  QFont titleFont = titleLabel_->font();
  titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
  titleFont.setBold(true);
  titleLabel_->setFont(titleFont);
  versionLabel_ = new QLabel(ProgramVersionText(), this);
  versionLabel_->setObjectName(QStringLiteral("versionLabel"));
  descriptionLabel_ =
      new QLabel(QStringLiteral("J-PHONEのSMDファイルを編集することができます。"), this);
  descriptionLabel_->setObjectName(QStringLiteral("descriptionLabel"));
  descriptionLabel_->setWordWrap(true);

  auto *line = new QFrame(this);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  auto *feedback =
      new QLabel(QStringLiteral("ご意見・ご要望・不具合のご報告をお待ちしています。"), this);
  feedback->setObjectName(QStringLiteral("feedbackLabel"));
  feedback->setWordWrap(true);
  auto *address = new QLabel(
      QStringLiteral("お送りいただく方法は、マニュアル（F1）の「お問い合わせ」に書いてあります。"),
      this);
  address->setObjectName(QStringLiteral("addressLabel"));
  address->setWordWrap(true);

  okButton_ = new QPushButton(QStringLiteral("OK"), this);
  okButton_->setObjectName(QStringLiteral("okButton"));
  okButton_->setDefault(true);
  connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);

  auto *texts = new QVBoxLayout;
  texts->addWidget(titleLabel_);
  texts->addWidget(versionLabel_);
  texts->addSpacing(8);
  texts->addWidget(descriptionLabel_);
  auto *top = new QHBoxLayout;
  top->addWidget(icon);
  top->addSpacing(12);
  top->addLayout(texts, 1);

  auto *buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(okButton_);

  auto *outer = new QVBoxLayout(this);
  outer->addLayout(top);
  outer->addSpacing(8);
  outer->addWidget(line);
  outer->addWidget(feedback);
  outer->addWidget(address);
  outer->addSpacing(8);
  outer->addLayout(buttons);
  setMinimumWidth(420);
}

} // namespace pipora
