#pragma once
// SIGTERM and SIGHUP (a session ending, `kill`, a closed terminal) end the editor the way
// closing its window does. The handler only writes the signal's number to a pipe, the one
// thing it may safely do; the event loop reads the pipe and does the rest.
#include <QObject>

class QSocketNotifier;

namespace pipora::editor {

class TerminationSignals : public QObject {
  Q_OBJECT
public:
  // Installs the handlers; only one instance may exist. Without a pipe the signals keep
  // their default action.
  explicit TerminationSignals(QObject *parent = nullptr);
  ~TerminationSignals() override;

signals:
  // Emitted once, for the first signal; later ones are ignored while the editor closes.
  void terminationRequested(int signal);

private:
  void onReadable();

  QSocketNotifier *notifier_ = nullptr;
  bool requested_ = false;
};

} // namespace pipora::editor
