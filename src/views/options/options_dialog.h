#pragma once
// "PiporaPad - その他の設定": tones with audition, time signature and anacrusis, the
// accidental spellings, undo, display, file and MIDI import options, the sound output and the
// shortcut keys, in one scrolling panel. Tone presses and shortcut keys take effect at once (Cancel
// gives the tones back, not the shortcuts); everything else waits for OK.
#include "settings/tone_names.h"

#include <QDialog>

#include <array>
#include <map>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QVBoxLayout;

namespace pipora {

struct AppContext;
class AccidentalKeyboard;
class Prompts;
class ShortcutBox;
class ToneGrid;

class OptionsDialog : public QDialog {
  Q_OBJECT
public:
  // The dialog reads pipora.tnf from the program directory each time it is built.
  OptionsDialog(AppContext &ctx, Prompts &prompts, QWidget *parent = nullptr);
  ~OptionsDialog() override;

  // The check box that edits a setting, by the setting's key in pipora.ini ("isBar").
  QCheckBox *checkBox(const QString &settingKey) const;
  QComboBox *partSelector() const { return partSelector_; }
  ToneGrid *toneGrid() const { return toneGrid_; }
  QLineEdit *numeratorBox() const { return numeratorBox_; }
  QLineEdit *anacrusisBox() const { return anacrusisBox_; }
  // The denominator choices "16", "8", "4", "2" as indexes 0..3.
  int denominatorIndex() const;
  void setDenominatorIndex(int index);
  AccidentalKeyboard *keyboard() const { return keyboard_; }
  ShortcutBox *shortcutBox(int index) const {
    return shortcutBoxes_[static_cast<std::size_t>(index)];
  }
  QPushButton *defaultsButton() const { return defaultsButton_; }
  QPushButton *okButton() const { return okButton_; }
  QPushButton *cancelButton() const { return cancelButton_; }
  QScrollArea *scrollArea() const { return scrollArea_; }
  // 和音の扱い by ChordHandling; the drums: 0 left out, 1 read into part 10.
  QButtonGroup *chordChoices() const { return chordChoices_; }
  QButtonGroup *drumChoices() const { return drumChoices_; }
  QComboBox *outputSelector() const { return outputSelector_; }
  QLineEdit *soundFontBox() const { return soundFontBox_; }
  QPushButton *soundFontButton() const { return soundFontButton_; }
  QPushButton *defaultSoundFontButton() const { return defaultSoundFontButton_; }
  const ToneNames &toneNames() const { return toneNames_; }

  void accept() override;
  void reject() override;

protected:
  void keyPressEvent(QKeyEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  QWidget *buildToneFrame();
  QWidget *buildTimeSignatureFrame();
  QWidget *buildAnacrusisFrame();
  QWidget *buildAccidentalFrame();
  QWidget *buildUndoFrame();
  QWidget *buildEntryFrame();
  QWidget *buildDisplayFrame();
  QWidget *buildFileFrame();
  QWidget *buildMidiFrame();
  QWidget *buildSoundFrame();
  QWidget *buildShortcutFrame();
  QCheckBox *addCheckBox(QVBoxLayout *layout, const QString &settingKey, const QString &caption,
                         bool value);
  void showSettings();
  void fillOutputs();

  void onPartChosen(int index);
  void onTonePressed(int program, Qt::MouseButton button);
  void onToneReleased(int program, Qt::MouseButton button);
  void onShortcutFocus(bool hasFocus);
  void onChooseSoundFont();
  void restoreDefaultShortcuts();
  // OK's checks and the copy of every control to the settings and the song.
  bool applyControls();
  void relayoutEditors();
  void scrollByPage(int direction);
  int selectedPart() const;

  AppContext &ctx_;
  Prompts &prompts_;
  ToneNames toneNames_;
  std::array<int, 16> tonesAtOpening_{};
  bool outputWasOpen_ = false; // the audition leaves an output open before it as it was
  bool auditionRunning_ = false;

  QScrollArea *scrollArea_ = nullptr;
  QComboBox *partSelector_ = nullptr;
  QComboBox *keySelector_ = nullptr;
  ToneGrid *toneGrid_ = nullptr;
  QLineEdit *numeratorBox_ = nullptr;
  QButtonGroup *denominators_ = nullptr;
  QLineEdit *anacrusisBox_ = nullptr;
  AccidentalKeyboard *keyboard_ = nullptr;
  std::map<QString, QCheckBox *> checkBoxes_;
  QButtonGroup *chordChoices_ = nullptr;
  QButtonGroup *drumChoices_ = nullptr;
  QComboBox *outputSelector_ = nullptr;
  QLineEdit *soundFontBox_ = nullptr;
  QPushButton *soundFontButton_ = nullptr;
  QPushButton *defaultSoundFontButton_ = nullptr;
  QString chosenSoundFont_;
  std::array<ShortcutBox *, 11> shortcutBoxes_{};
  QPushButton *defaultsButton_ = nullptr;
  QPushButton *okButton_ = nullptr;
  QPushButton *cancelButton_ = nullptr;
};

} // namespace pipora
