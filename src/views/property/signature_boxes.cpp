#include "views/property/signature_boxes.h"

#include "views/app_context.h"
#include "views/options/time_signature.h"
#include "views/score/score_display_menu.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>

#include <algorithm>

namespace pipora {
namespace {

// The usual time signatures, as beats and the beat's ticks; a song's other one is added.
constexpr std::pair<int, int> kUsualTimes[] = {{2, kTicksPerQuarter},   {3, kTicksPerQuarter},
                                               {4, kTicksPerQuarter},   {5, kTicksPerQuarter},
                                               {6, kTicksPerQuarter},   {2, kTicksPerWhole / 2},
                                               {3, kTicksPerWhole / 8}, {6, kTicksPerWhole / 8},
                                               {9, kTicksPerWhole / 8}, {12, kTicksPerWhole / 8}};

QString TimeText(std::pair<int, int> time) {
  return QStringLiteral("%1/%2").arg(time.first).arg(kTicksPerWhole / std::max(1, time.second));
}

// The key box's items in KeyChoices' order: automatic, the majors from seven flats to seven
// sharps, then the minors.
int KeyIndex(std::optional<KeySignature> key) {
  return key ? 1 + (key->minor ? 15 : 0) + key->fifths + 7 : 0;
}
std::optional<KeySignature> KeyAt(int index) {
  if (index <= 0 || index > 30)
    return std::nullopt;
  return KeySignature{(index - 1) % 15 - 7, index > 15};
}

} // namespace

SignatureBoxes::SignatureBoxes(AppContext &ctx, QWidget *parent) : QWidget(parent), ctx_(ctx) {
  auto *row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(3);
  timeBox_ = new QComboBox(this);
  timeBox_->setObjectName(QStringLiteral("timeSignatureBox"));
  keyBox_ = new QComboBox(this);
  keyBox_->setObjectName(QStringLiteral("keySignatureBox"));
  auto *timeLabel = new QLabel(QStringLiteral("拍子(&H)"), this);
  timeLabel->setBuddy(timeBox_);
  auto *keyLabel = new QLabel(QStringLiteral("調(&K)"), this);
  keyLabel->setBuddy(keyBox_);
  row->addWidget(timeLabel);
  row->addWidget(timeBox_);
  row->addWidget(keyLabel);
  row->addWidget(keyBox_, 1);
  for (const KeyChoice &choice : KeyChoices(ctx_.song))
    keyBox_->addItem(choice.first ? choice.second : QStringLiteral("自動"));
  connect(timeBox_, &QComboBox::activated, this, &SignatureBoxes::chooseTime);
  connect(keyBox_, &QComboBox::activated, this, &SignatureBoxes::chooseKey);
  refresh();
}

void SignatureBoxes::refresh() {
  refreshing_ = true;
  const std::pair<int, int> now{ctx_.song.beatsPerMeasure, ctx_.song.ticksPerBeat};
  times_.assign(std::begin(kUsualTimes), std::end(kUsualTimes));
  if (std::find(times_.begin(), times_.end(), now) == times_.end())
    times_.push_back(now);
  timeBox_->clear();
  for (const auto &time : times_)
    timeBox_->addItem(TimeText(time));
  timeBox_->setCurrentIndex(
      static_cast<int>(std::find(times_.begin(), times_.end(), now) - times_.begin()));
  keyBox_->setCurrentIndex(KeyIndex(ctx_.song.display.key));
  refreshing_ = false;
}

void SignatureBoxes::chooseTime(int index) {
  if (refreshing_ || index < 0 || index >= static_cast<int>(times_.size()))
    return;
  const auto [beats, ticksPerBeat] = times_[static_cast<std::size_t>(index)];
  if (beats == ctx_.song.beatsPerMeasure && ticksPerBeat == ctx_.song.ticksPerBeat)
    return;
  TimeSignatureEntry entry;
  entry.beatsPerMeasure = beats;
  entry.ticksPerBeat = ticksPerBeat;
  // The upbeat stays, shortened to the new measure if it is longer.
  entry.anacrusis = std::min(AnacrusisOf(ctx_.song), beats * ticksPerBeat);
  ctx_.session.syncNoteLists();
  ctx_.session.edit(ApplyTimeSignatureEntry, entry);
}

void SignatureBoxes::chooseKey(int index) {
  if (refreshing_ || index < 0)
    return;
  const std::optional<KeySignature> key = KeyAt(index);
  if (key == ctx_.song.display.key)
    return;
  // Automatic: the notes are asked again, and the key they give is kept.
  ScoreDisplay display = ctx_.song.display;
  display.key = key;
  ctx_.session.setDisplay(display);
  ctx_.session.setDirty(true); // kept with the file when it is saved
  refresh();
}

} // namespace pipora
