#include "views/options/options_dialog.h"

#include "views/score/score_display_menu.h"

#include "platform/files/program_directory.h"
#include "playback/midi_output.h"
#include "playback/player.h"
#include "settings/accidentals.h"
#include "settings/key_names.h"
#include "views/app_context.h"
#include "views/help/manual.h"
#include "views/main_window.h"
#include "views/options/accidental_keyboard.h"
#include "views/options/shortcut_box.h"
#include "views/options/sound_output.h"
#include "views/options/time_signature.h"
#include "views/options/tone_grid.h"
#include "views/prompts.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

namespace pipora {
namespace {

// The check boxes and the settings they edit, by the settings' keys in pipora.ini.
struct CheckBoxRow {
  const char *key;
  bool Settings::*field;
  const char *caption;
};

constexpr CheckBoxRow kUndoBoxes[] = {
    {"isManyUndo", &Settings::isManyUndo, "複数回のやり直しを有効にする(&N)"},
};
constexpr CheckBoxRow kEntryBoxes[] = {
    {"isNearestOctave", &Settings::isNearestOctave,
     "音名の入力で、直前の音に最も近いオクターブにする（nearest octave）(&Q)"},
    {"isKeyAccidentals", &Settings::isKeyAccidentals,
     "音名の入力で、調号と小節内の臨時記号に従う（accidentals from the key and the bar）(&Y)"},
};
constexpr CheckBoxRow kDisplayBoxes[] = {
    {"isPreview", &Settings::isPreview, "音符の入力時に音を鳴らす(&V)"},
    {"isShowCursol", &Settings::showCursor, "演奏中にカーソルを表示する(&P)"},
    {"isDoReMi", &Settings::isDoReMi, "ドレミを表示する(&D)"},
    {"isBarNum", &Settings::isBarNum, "小節番号を表示する(&M)"},
    {"isBar", &Settings::isBar, "小節線を表示する(&B)"},
    {"isClassicScore", &Settings::isClassicScore, "音符を1つずつ描く（従来の表示）(&W)"},
};
constexpr CheckBoxRow kFileBoxes[] = {
    {"isNoCheck", &Settings::isNoCheck,
     "SMDファイルに保存できない音域の音符も入力できるようにする(&E)"},
    {"isSaveTone", &Settings::isSaveTone, "SMDファイルを保存する時に音色も保存する(&S)"},
    {"isLongFile", &Settings::isLongFile, "長いファイル名に対応する(&L)"},
};
constexpr CheckBoxRow kMidiBoxes[] = {
    {"isAuto", &Settings::isAuto, "MIDIファイルを読み込むときに音域を自動調整する(&T)"},
    {"is3", &Settings::is3, "MIDIファイルを読み込むときに3連符を認識する(&3)"},
};

struct ShortcutRow {
  const char *caption;
};
constexpr std::array<ShortcutRow, kShortCutCount> kShortcutRows = {{
    {"半音上げる"},
    {"半音下げる"},
    {"音符を長くする"},
    {"音符を短くする"},
    {"1オクターブ上げる"},
    {"1オクターブ下げる"},
    {"全パート演奏する"},
    {"ソロ演奏する"},
    {"演奏を停止する"},
    {"タイにする"},
    {"小節演奏する"},
}};

// 和音の扱い, in the order of ChordHandling.
constexpr const char *kChordCaptions[] = {"最後の音", "最高音", "空きパートに分ける"};
constexpr const char *kChordNames[] = {"chordsLast", "chordsTop", "chordsSpread"};

constexpr int kMiddleC = 60;

QLabel *Hint(const QString &text, QWidget *parent) {
  auto *label = new QLabel(text, parent);
  label->setWordWrap(true);
  return label;
}

QGroupBox *Frame(const QString &caption, const char *name, QWidget *parent) {
  auto *box = new QGroupBox(caption, parent);
  box->setObjectName(QString::fromLatin1(name));
  return box;
}

std::array<QString, 12> NamesOf(const DoReMiTable &table) {
  std::array<QString, 12> names;
  for (std::size_t i = 0; i < table.size(); ++i)
    names[i] = table[i].name;
  return names;
}

} // namespace

OptionsDialog::OptionsDialog(AppContext &ctx, Prompts &prompts, QWidget *parent)
    : QDialog(parent), ctx_(ctx), prompts_(prompts) {
  setObjectName(QStringLiteral("optionsDialog"));
  InstallHelpKey(this);
  setWindowTitle(QStringLiteral("PiporaPad - その他の設定"));
  setModal(true);

  EnsureToneNamesFile(ShareFile(QStringLiteral("pipora.tnf")), ToneNamesFilePath());
  toneNames_ = LoadToneNames(ToneNamesFilePath());
  for (int n = 1; n <= kUserParts; ++n)
    tonesAtOpening_[static_cast<std::size_t>(n - 1)] = ctx_.song.part(n).tone;

  auto *panel = new QWidget;
  panel->setObjectName(QStringLiteral("optionsPanel"));
  auto *column = new QVBoxLayout(panel);
  column->addWidget(buildToneFrame());
  auto *timeRow = new QHBoxLayout;
  timeRow->addWidget(buildTimeSignatureFrame(), 1);
  timeRow->addWidget(buildAnacrusisFrame(), 1);
  column->addLayout(timeRow);
  column->addWidget(buildAccidentalFrame());
  column->addWidget(buildUndoFrame());
  column->addWidget(buildEntryFrame());
  column->addWidget(buildDisplayFrame());
  column->addWidget(buildFileFrame());
  column->addWidget(buildMidiFrame());
  column->addWidget(buildSoundFrame());
  column->addWidget(buildShortcutFrame());
  column->addStretch(1);

  scrollArea_ = new QScrollArea(this);
  scrollArea_->setObjectName(QStringLiteral("optionsScrollArea"));
  scrollArea_->setWidget(panel);
  scrollArea_->setWidgetResizable(true);
  scrollArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scrollArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  scrollArea_->setFrameShape(QFrame::NoFrame);

  okButton_ = new QPushButton(QStringLiteral("OK"), this);
  okButton_->setObjectName(QStringLiteral("okButton"));
  okButton_->setDefault(true);
  cancelButton_ = new QPushButton(QStringLiteral("キャンセル"), this);
  cancelButton_->setObjectName(QStringLiteral("cancelButton"));
  connect(okButton_, &QPushButton::clicked, this, &OptionsDialog::accept);
  connect(cancelButton_, &QPushButton::clicked, this, &OptionsDialog::reject);
  auto *buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(okButton_);
  buttons->addWidget(cancelButton_);

  auto *outer = new QVBoxLayout(this);
  outer->addWidget(scrollArea_, 1);
  outer->addLayout(buttons);

  // Page Up and Page Down scroll the panel wherever the focus is (a shortcut box keeps
  // them as keys to capture).
  qApp->installEventFilter(this);

  showSettings();
  // Wide enough for every tone name, as tall as the screen allows.
  panel->setMinimumWidth(panel->minimumSizeHint().width());
  const int frameWidth = scrollArea_->verticalScrollBar()->sizeHint().width() + 24;
  setMinimumWidth(panel->minimumSizeHint().width() + frameWidth);
  QSize size(panel->sizeHint().width() + frameWidth, 680);
  if (const QScreen *screen = this->screen())
    size = size.boundedTo(screen->availableGeometry().size() * 0.95);
  resize(size);
}

OptionsDialog::~OptionsDialog() {
  qApp->removeEventFilter(this);
}

QWidget *OptionsDialog::buildToneFrame() {
  QGroupBox *frame = Frame(QStringLiteral("音色"), "toneFrame", this);
  auto *layout = new QVBoxLayout(frame);
  auto *row = new QHBoxLayout;
  auto *label = new QLabel(QStringLiteral("&CH"), frame);
  partSelector_ = new QComboBox(frame);
  partSelector_->setObjectName(QStringLiteral("partSelector"));
  for (int n = 1; n <= kUserParts; ++n)
    partSelector_->addItem(QString::number(n));
  label->setBuddy(partSelector_);
  row->addWidget(label);
  row->addWidget(partSelector_);
  row->addStretch(1);
  layout->addLayout(row);
  toneGrid_ = new ToneGrid(frame);
  toneGrid_->setNames(toneNames_);
  layout->addWidget(toneGrid_);
  layout->addWidget(Hint(QStringLiteral("音色名を左クリックすると試聴できます。"
                                        "右クリックすると楽譜どおりに演奏します。"),
                         frame));
  connect(partSelector_, &QComboBox::currentIndexChanged, this, &OptionsDialog::onPartChosen);
  connect(toneGrid_, &ToneGrid::tonePressed, this, &OptionsDialog::onTonePressed);
  connect(toneGrid_, &ToneGrid::toneReleased, this, &OptionsDialog::onToneReleased);
  return frame;
}

QWidget *OptionsDialog::buildTimeSignatureFrame() {
  QGroupBox *frame = Frame(QStringLiteral("拍子(&H)"), "timeSignatureFrame", this);
  auto *grid = new QGridLayout(frame);
  numeratorBox_ = new QLineEdit(frame);
  numeratorBox_->setObjectName(QStringLiteral("numeratorBox"));
  numeratorBox_->installEventFilter(this);
  grid->addWidget(new QLabel(QStringLiteral("分子"), frame), 0, 0);
  grid->addWidget(numeratorBox_, 0, 1, 1, 4);
  grid->addWidget(new QLabel(QStringLiteral("分母"), frame), 1, 0);
  denominators_ = new QButtonGroup(frame);
  const char *captions[] = {"1&6", "&8", "&4", "&2"};
  for (int i = 0; i < 4; ++i) {
    auto *choice = new QRadioButton(QString::fromUtf8(captions[i]), frame);
    choice->setObjectName(QStringLiteral("denominator%1").arg(kDenominatorChoices[i].denominator));
    denominators_->addButton(choice, i);
    grid->addWidget(choice, 1, i + 1);
  }
  // The key the score's signature and spelling follow; kept per file with the clefs.
  grid->addWidget(new QLabel(QStringLiteral("調"), frame), 2, 0);
  keySelector_ = new QComboBox(frame);
  keySelector_->setObjectName(QStringLiteral("keySelector"));
  grid->addWidget(keySelector_, 2, 1, 1, 4);
  return frame;
}

QWidget *OptionsDialog::buildAnacrusisFrame() {
  QGroupBox *frame = Frame(QStringLiteral("アウフタクト（弱起）(&U)"), "anacrusisFrame", this);
  auto *layout = new QVBoxLayout(frame);
  anacrusisBox_ = new QLineEdit(frame);
  anacrusisBox_->setObjectName(QStringLiteral("anacrusisBox"));
  anacrusisBox_->installEventFilter(this);
  layout->addWidget(anacrusisBox_);
  layout->addWidget(Hint(QStringLiteral("4分音符1つを480として計算してください。例えば、4/"
                                        "4拍子で、半拍のアウフタクトの場合、240となります。"),
                         frame));
  return frame;
}

QWidget *OptionsDialog::buildAccidentalFrame() {
  QGroupBox *frame = Frame(QStringLiteral("臨時記号"), "accidentalFrame", this);
  auto *layout = new QVBoxLayout(frame);
  keyboard_ = new AccidentalKeyboard(frame);
  layout->addWidget(keyboard_, 0, Qt::AlignLeft);
  layout->addWidget(Hint(QStringLiteral("音符ごとの、#/b表示を切り替えます。"
                                        "切り替えたい鍵盤をクリックしてください。"),
                         frame));
  return frame;
}

QCheckBox *OptionsDialog::addCheckBox(QVBoxLayout *layout, const QString &settingKey,
                                      const QString &caption, bool value) {
  auto *box = new QCheckBox(caption, layout->parentWidget());
  box->setObjectName(settingKey + QStringLiteral("Check"));
  box->setChecked(value);
  layout->addWidget(box);
  checkBoxes_[settingKey] = box;
  return box;
}

QWidget *OptionsDialog::buildUndoFrame() {
  QGroupBox *frame = Frame(QStringLiteral("やり直しの設定"), "undoFrame", this);
  auto *layout = new QVBoxLayout(frame);
  for (const CheckBoxRow &row : kUndoBoxes)
    addCheckBox(layout, QString::fromLatin1(row.key), QString::fromUtf8(row.caption),
                ctx_.settings.*row.field);
  return frame;
}

QWidget *OptionsDialog::buildEntryFrame() {
  QGroupBox *frame = Frame(QStringLiteral("音符の入力"), "entryFrame", this);
  auto *layout = new QVBoxLayout(frame);
  for (const CheckBoxRow &row : kEntryBoxes)
    addCheckBox(layout, QString::fromLatin1(row.key), QString::fromUtf8(row.caption),
                ctx_.settings.*row.field);
  return frame;
}

QWidget *OptionsDialog::buildDisplayFrame() {
  QGroupBox *frame = Frame(QStringLiteral("表示設定"), "displayFrame", this);
  auto *layout = new QVBoxLayout(frame);
  for (const CheckBoxRow &row : kDisplayBoxes)
    addCheckBox(layout, QString::fromLatin1(row.key), QString::fromUtf8(row.caption),
                ctx_.settings.*row.field);
  return frame;
}

QWidget *OptionsDialog::buildFileFrame() {
  QGroupBox *frame = Frame(QStringLiteral("ファイル"), "fileFrame", this);
  auto *layout = new QVBoxLayout(frame);
  for (const CheckBoxRow &row : kFileBoxes)
    addCheckBox(layout, QString::fromLatin1(row.key), QString::fromUtf8(row.caption),
                ctx_.settings.*row.field);
  return frame;
}

QWidget *OptionsDialog::buildMidiFrame() {
  QGroupBox *frame = Frame(QStringLiteral("MIDIファイルの読み込み"), "midiFrame", this);
  auto *layout = new QVBoxLayout(frame);
  for (const CheckBoxRow &row : kMidiBoxes)
    addCheckBox(layout, QString::fromLatin1(row.key), QString::fromUtf8(row.caption),
                ctx_.settings.*row.field);
  auto *grid = new QGridLayout;
  grid->addWidget(new QLabel(QStringLiteral("和音の扱い"), frame), 0, 0);
  chordChoices_ = new QButtonGroup(frame);
  for (int i = 0; i < 3; ++i) {
    auto *choice = new QRadioButton(QString::fromUtf8(kChordCaptions[i]), frame);
    choice->setObjectName(QString::fromLatin1(kChordNames[i]));
    chordChoices_->addButton(choice, i);
    grid->addWidget(choice, 0, i + 1);
  }
  grid->addWidget(new QLabel(QStringLiteral("ドラム（チャンネル10）"), frame), 1, 0);
  drumChoices_ = new QButtonGroup(frame);
  const char *drumCaptions[] = {"読み込まない", "パート10に読み込む"};
  for (int i = 0; i < 2; ++i) {
    auto *choice = new QRadioButton(QString::fromUtf8(drumCaptions[i]), frame);
    choice->setObjectName(i == 0 ? QStringLiteral("drumsLeftOut") : QStringLiteral("drumsKept"));
    drumChoices_->addButton(choice, i);
    grid->addWidget(choice, 1, i + 1);
  }
  grid->setColumnStretch(4, 1);
  layout->addLayout(grid);
  layout->addWidget(
      Hint(QStringLiteral("空きパートに分けると、和音や重なった音のうち一番高い音はチャンネルの"
                          "パートに残り、ほかの音は使われていないパートに移ります。"
                          "ドラムのパートは保存すると音程のある音として演奏されます。"),
           frame));
  return frame;
}

QWidget *OptionsDialog::buildSoundFrame() {
  QGroupBox *frame = Frame(QStringLiteral("音源"), "soundFrame", this);
  auto *grid = new QGridLayout(frame);
  auto *outputLabel = new QLabel(QStringLiteral("出力先(&O)"), frame);
  outputSelector_ = new QComboBox(frame);
  outputSelector_->setObjectName(QStringLiteral("outputSelector"));
  outputLabel->setBuddy(outputSelector_);
  grid->addWidget(outputLabel, 0, 0);
  grid->addWidget(outputSelector_, 0, 1, 1, 3);

  auto *fontLabel = new QLabel(QStringLiteral("SoundFont(&F)"), frame);
  soundFontBox_ = new QLineEdit(frame);
  soundFontBox_->setObjectName(QStringLiteral("soundFontBox"));
  soundFontBox_->setReadOnly(true);
  soundFontBox_->setPlaceholderText(QStringLiteral("標準のSoundFont"));
  fontLabel->setBuddy(soundFontBox_);
  soundFontButton_ = new QPushButton(QStringLiteral("参照(&R)..."), frame);
  soundFontButton_->setObjectName(QStringLiteral("soundFontButton"));
  soundFontButton_->setAutoDefault(false);
  defaultSoundFontButton_ = new QPushButton(QStringLiteral("標準のSoundFont(&G)"), frame);
  defaultSoundFontButton_->setObjectName(QStringLiteral("defaultSoundFontButton"));
  defaultSoundFontButton_->setAutoDefault(false);
  grid->addWidget(fontLabel, 1, 0);
  grid->addWidget(soundFontBox_, 1, 1);
  grid->addWidget(soundFontButton_, 1, 2);
  grid->addWidget(defaultSoundFontButton_, 1, 3);
  grid->setColumnStretch(1, 1);
  grid->addWidget(
      Hint(QStringLiteral("SoundFontは内蔵シンセサイザーで演奏するときに使われます。"), frame), 2,
      0, 1, 4);
  connect(soundFontButton_, &QPushButton::clicked, this, &OptionsDialog::onChooseSoundFont);
  connect(defaultSoundFontButton_, &QPushButton::clicked, this, [this] {
    chosenSoundFont_.clear();
    soundFontBox_->clear();
  });
  auto enableFont = [this](int index) {
    const bool builtIn = index == 0;
    soundFontBox_->setEnabled(builtIn);
    soundFontButton_->setEnabled(builtIn);
    defaultSoundFontButton_->setEnabled(builtIn);
  };
  connect(outputSelector_, &QComboBox::currentIndexChanged, this, enableFont);
  return frame;
}

QWidget *OptionsDialog::buildShortcutFrame() {
  QGroupBox *frame = Frame(QStringLiteral("ショートカットキーの設定(&K)"), "shortcutFrame", this);
  auto *layout = new QVBoxLayout(frame);
  auto *grid = new QGridLayout;
  for (int i = 0; i < kShortCutCount; ++i) {
    auto *label =
        new QLabel(QString::fromUtf8(kShortcutRows[static_cast<std::size_t>(i)].caption), frame);
    auto *box = new ShortcutBox(frame);
    box->setObjectName(QStringLiteral("shortcutBox%1").arg(i));
    shortcutBoxes_[static_cast<std::size_t>(i)] = box;
    grid->addWidget(label, i, 0);
    grid->addWidget(box, i, 1);
    connect(box, &ShortcutBox::captured, this,
            [this, i](int value) { ctx_.settings.shortcuts[static_cast<std::size_t>(i)] = value; });
    connect(box, &ShortcutBox::focusChanged, this, &OptionsDialog::onShortcutFocus);
  }
  grid->setColumnStretch(1, 1);
  layout->addLayout(grid);
  layout->addWidget(Hint(QStringLiteral("設定したい動作のテキストボックスをクリックして、"
                                        "呼び出すキーを押してください。"
                                        "フォーカスを移動するにはTabキーを使います。"),
                         frame));
  defaultsButton_ = new QPushButton(QStringLiteral("標準に戻す(&A)"), frame);
  defaultsButton_->setObjectName(QStringLiteral("defaultsButton"));
  defaultsButton_->setAutoDefault(false);
  connect(defaultsButton_, &QPushButton::clicked, this, &OptionsDialog::restoreDefaultShortcuts);
  layout->addWidget(defaultsButton_, 0, Qt::AlignLeft);
  return frame;
}

void OptionsDialog::showSettings() {
  partSelector_->setCurrentIndex(0);
  onPartChosen(0);
  numeratorBox_->setText(QString::number(ctx_.song.beatsPerMeasure));
  anacrusisBox_->setText(QString::number(AnacrusisOf(ctx_.song)));
  setDenominatorIndex(DenominatorIndexOf(ctx_.song.ticksPerBeat));
  keySelector_->clear();
  for (const auto &[key, caption] : KeyChoices(ctx_.song)) {
    keySelector_->addItem(caption);
    if (key == ctx_.song.display.key)
      keySelector_->setCurrentIndex(keySelector_->count() - 1);
  }
  keyboard_->setNames(NamesOf(ctx_.settings.doReMi));
  for (int i = 0; i < kShortCutCount; ++i)
    shortcutBoxes_[static_cast<std::size_t>(i)]->showValue(
        ctx_.settings.shortcuts[static_cast<std::size_t>(i)]);
  chordChoices_->button(static_cast<int>(ctx_.settings.midiChords))->setChecked(true);
  drumChoices_->button(ctx_.settings.midiKeepDrums ? 1 : 0)->setChecked(true);
  chosenSoundFont_ = ctx_.settings.soundFont;
  soundFontBox_->setText(chosenSoundFont_);
  fillOutputs();
}

void OptionsDialog::fillOutputs() {
  outputSelector_->clear();
  outputSelector_->addItem(QStringLiteral("内蔵シンセサイザー"), QString());
  for (const QString &port : SystemMidiPortNames())
    outputSelector_->addItem(port, port);
  const QString chosen = ctx_.settings.midiOutput;
  if (chosen.isEmpty()) {
    outputSelector_->setCurrentIndex(0);
    return;
  }
  int index = outputSelector_->findData(chosen);
  if (index < 0) {
    // A port named in the settings but not connected now stays the choice.
    outputSelector_->addItem(chosen + QStringLiteral("（未接続）"), chosen);
    index = outputSelector_->count() - 1;
  }
  outputSelector_->setCurrentIndex(index);
}

QCheckBox *OptionsDialog::checkBox(const QString &settingKey) const {
  const auto it = checkBoxes_.find(settingKey);
  return it == checkBoxes_.end() ? nullptr : it->second;
}

int OptionsDialog::denominatorIndex() const {
  return denominators_->checkedId();
}

void OptionsDialog::setDenominatorIndex(int index) {
  if (QAbstractButton *button = denominators_->button(index))
    button->setChecked(true);
}

int OptionsDialog::selectedPart() const {
  return partSelector_->currentIndex() + 1;
}

void OptionsDialog::onPartChosen(int index) {
  if (index < 0)
    return;
  toneGrid_->setHighlighted(ctx_.song.part(index + 1).tone);
}

void OptionsDialog::onTonePressed(int program, Qt::MouseButton button) {
  if (auditionRunning_)
    return;
  auditionRunning_ = true;
  const int part = selectedPart();
  ctx_.session.setTone(part, program);
  toneGrid_->setHighlighted(program);
  MidiOutput *midi = &ctx_.session.midi();
  outputWasOpen_ = midi->isOpen();
  if (!outputWasOpen_)
    midi->MidiOpen();
  midi->MidiReset();
  midi->MidiProgramChange(part, program);
  if (button == Qt::LeftButton)
    midi->MidiNoteOn(part, kMiddleC);
  else
    ctx_.session.player().playParts(1u << part);
}

void OptionsDialog::onToneReleased(int, Qt::MouseButton button) {
  if (!auditionRunning_)
    return;
  auditionRunning_ = false;
  MidiOutput *midi = &ctx_.session.midi();
  if (button == Qt::LeftButton)
    midi->MidiNoteOff(selectedPart(), kMiddleC);
  else
    ctx_.session.player().stopSong();
  midi->MidiReset();
  if (!outputWasOpen_)
    midi->MidiClose();
}

void OptionsDialog::onShortcutFocus(bool hasFocus) {
  // Enter and Esc belong to the shortcut box while it has the focus.
  okButton_->setDefault(!hasFocus);
  okButton_->setAutoDefault(!hasFocus);
}

void OptionsDialog::restoreDefaultShortcuts() {
  ctx_.settings.shortcuts = kDefaultShortCuts;
  for (int i = 0; i < kShortCutCount; ++i)
    shortcutBoxes_[static_cast<std::size_t>(i)]->showValue(
        ctx_.settings.shortcuts[static_cast<std::size_t>(i)]);
}

void OptionsDialog::onChooseSoundFont() {
  FileDialogRequest request;
  request.filters << QStringLiteral("SoundFontファイル（*.sf2;*.sf3）|*.sf2;*.sf3")
                  << QStringLiteral("すべてのファイル（*.*）|*");
  request.initialName = chosenSoundFont_;
  request.maxNameLength = 1000;
  const QString path = prompts_.openFileName(this, request);
  if (path.isEmpty())
    return;
  const QString problem = SoundFontProblem(path);
  if (!problem.isEmpty()) {
    prompts_.warning(this, path + QStringLiteral("\n") + problem +
                               QStringLiteral("\nSoundFontを読み込めませんでした。"
                                              "これまでのSoundFontを使います。"));
    return;
  }
  chosenSoundFont_ = path;
  soundFontBox_->setText(path);
}

bool OptionsDialog::applyControls() {
  // Each box is checked in turn; a refused one keeps the dialog open and changes nothing.
  auto refuse = [this](QLineEdit *box, const std::string &message) {
    prompts_.warning(this, QString::fromStdString(message));
    scrollArea_->ensureWidgetVisible(box);
    box->setFocus();
    box->selectAll();
    return false;
  };
  const Result<std::optional<int>> numerator = ReadNumerator(numeratorBox_->text());
  if (!numerator)
    return refuse(numeratorBox_, numerator.error());
  const Result<TimeSignatureEntry> entry = ReadTimeSignatureEntry(
      numeratorBox_->text(), denominatorIndex(), anacrusisBox_->text(), ctx_.song.beatsPerMeasure);
  if (!entry)
    return refuse(anacrusisBox_, entry.error());
  // The score editor's lists are the live ones while it is active.
  ctx_.session.syncNoteLists();
  ctx_.session.edit(ApplyTimeSignatureEntry, entry.value());
  const std::vector<KeyChoice> keys = KeyChoices(ctx_.song);
  const std::optional<KeySignature> key =
      keys[static_cast<std::size_t>(std::max(0, keySelector_->currentIndex()))].first;
  if (key != ctx_.song.display.key) {
    ScoreDisplay display = ctx_.song.display;
    display.key = key;
    ctx_.session.setDisplay(display);
    ctx_.session.setDirty(true); // kept with the file when it is saved
  }

  auto copyBoxes = [this](const auto &table) {
    for (const CheckBoxRow &row : table)
      ctx_.settings.*row.field = checkBox(QString::fromLatin1(row.key))->isChecked();
  };
  copyBoxes(kUndoBoxes);
  copyBoxes(kEntryBoxes);
  copyBoxes(kDisplayBoxes);
  copyBoxes(kFileBoxes);
  copyBoxes(kMidiBoxes);
  ctx_.settings.midiChords = static_cast<ChordHandling>(chordChoices_->checkedId());
  ctx_.settings.midiKeepDrums = drumChoices_->checkedId() == 1;

  ApplySpellings(ctx_.settings.doReMi, keyboard_->names());

  if (QAction *redo = ctx_.action(&MainActions::redo))
    redo->setVisible(ctx_.settings.isManyUndo);

  const QString output = outputSelector_->currentData().toString();
  if (output != ctx_.settings.midiOutput || chosenSoundFont_ != ctx_.settings.soundFont) {
    ctx_.settings.midiOutput = output;
    ctx_.settings.soundFont = chosenSoundFont_;
    UseChosenOutput(ctx_);
  }
  return true;
}

void OptionsDialog::relayoutEditors() {
  // Opened over the frame, the dialog leaves the editors to it.
  if (auto *frame = qobject_cast<MainWindow *>(parentWidget()))
    frame->relayoutAfterOptions();
}

void OptionsDialog::accept() {
  if (!applyControls())
    return;
  hide();
  relayoutEditors();
  QDialog::accept();
}

void OptionsDialog::reject() {
  if (auditionRunning_)
    onToneReleased(-1, Qt::LeftButton);
  for (int n = 1; n <= kUserParts; ++n)
    ctx_.session.setTone(n, tonesAtOpening_[static_cast<std::size_t>(n - 1)]);
  if (MidiOutput *midi = &ctx_.session.midi()) {
    const bool wasOpen = midi->isOpen();
    if (!wasOpen)
      midi->MidiOpen();
    midi->MidiReset();
    for (int n = 1; n <= kUserParts; ++n)
      midi->MidiProgramChange(n, ctx_.song.part(n).tone);
    midi->MidiReset();
    if (!wasOpen)
      midi->MidiClose();
  }
  QDialog::reject();
}

void OptionsDialog::scrollByPage(int direction) {
  QScrollBar *bar = scrollArea_->verticalScrollBar();
  bar->setValue(
      std::clamp(bar->value() + direction * bar->pageStep(), bar->minimum(), bar->maximum()));
}

void OptionsDialog::keyPressEvent(QKeyEvent *event) {
  if (event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown) {
    scrollByPage(event->key() == Qt::Key_PageUp ? -1 : 1);
    return;
  }
  QDialog::keyPressEvent(event);
}

bool OptionsDialog::eventFilter(QObject *watched, QEvent *event) {
  if (event->type() == QEvent::FocusIn && (watched == numeratorBox_ || watched == anacrusisBox_)) {
    auto *box = static_cast<QLineEdit *>(watched);
    QTimer::singleShot(0, box, [box] { box->selectAll(); });
  }
  if (event->type() == QEvent::KeyPress) {
    auto *widget = qobject_cast<QWidget *>(watched);
    const auto *key = static_cast<QKeyEvent *>(event);
    const bool page = key->key() == Qt::Key_PageUp || key->key() == Qt::Key_PageDown;
    if (page && widget && widget->window() == this && !qobject_cast<ShortcutBox *>(widget)) {
      scrollByPage(key->key() == Qt::Key_PageUp ? -1 : 1);
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

} // namespace pipora
