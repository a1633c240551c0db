#pragma once
// The source editor: one part of the song as text lines, one per note, with a pitch box
// and a length box for typing. Every edit goes straight into the song.
#include "views/child_window.h"

#include <QFont>

class QLabel;
class QLineEdit;
class QListWidget;
class QKeyEvent;

namespace pipora {

class SourceEditorWindow : public ChildWindow {
  Q_OBJECT
public:
  SourceEditorWindow(AppContext &ctx, QWidget *parent);

  // Refills the list for `part`, makes it current, selects the part's cursor line,
  // shows the window and gives the list the focus. A part below 1 does nothing.
  void showPartInList(int part);
  // Lays the controls out for the present font and size.
  void relayout();
  // Shows the window and makes it the active one, without refilling the list.
  void bringForward();
  void applyFont(const SourceFont &font);
  QFont sourceFont() const;
  void focusList();
  // The position text of the selected entry as the View menu's time items show it.
  QString positionTextForMenu() const;
  // True while the list has the keyboard focus (or lost it only to a menu opened over it).
  bool listHasFocus() const { return listHasFocus_; }
  void activated() override;
  void deactivated() override;

  // "Loc", TAB, "Note", TAB, TAB, "Len".
  static QString headerText();
  // One list line: "1:4:0", TAB, "C#4", TAB, "61", TAB, "4".
  static QString lineText(const Song &song, const NoteEntry &entry);

  int rememberedOctave() const { return rememberedOctave_; }
  bool pendingInsertion() const { return pendingInsertion_; }

  // The column headings above the list (read-only).
  QLineEdit *headerBox() const { return headerBox_; }
  // "CH<part>[<line>/<count>]" beside the headings.
  QLabel *partLabel() const { return partLabel_; }
  QListWidget *noteList() const { return noteList_; }
  QLineEdit *pitchBox() const { return pitchBox_; }
  QLineEdit *lengthBox() const { return lengthBox_; }

signals:
  // A file dropped on the list, to be opened as the command line's file is.
  void fileDropped(const QString &path);

protected:
  void resizeEvent(QResizeEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void onLineSelected();
  bool listKeyDown(QKeyEvent *event);
  void enterOnList();
  void insertOnList();
  bool pitchBoxKey(QKeyEvent *event);
  bool lengthBoxKey(QKeyEvent *event);
  void escapeFromBox(bool lengthBox);
  void commitEntry();
  void upperCasePitch();
  bool handleDrop(QEvent *event);
  void placeLabel();
  const Part &currentPart() const;
  // Refills the list for `part` and selects the part's cursor line, nothing more.
  void fillList(int part);
  // A change made elsewhere (a note typed in the score): the shown list follows once the
  // event that made it is handled.
  void followSong();

  QLineEdit *headerBox_ = nullptr;
  QLabel *partLabel_ = nullptr;
  QListWidget *noteList_ = nullptr;
  QLineEdit *pitchBox_ = nullptr;
  QLineEdit *lengthBox_ = nullptr;
  int rememberedOctave_ = 0;
  bool pendingInsertion_ = false;
  bool inShowPartInList_ = false;
  bool listHasFocus_ = false;
  bool followPending_ = false;
};

} // namespace pipora
