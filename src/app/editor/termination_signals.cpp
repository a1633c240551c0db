#include "app/editor/termination_signals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace pipora::editor {
namespace {

constexpr int kHandledSignals[] = {SIGTERM, SIGHUP};

// Both ends of the pipe: the handler writes to [0], the event loop reads [1].
int gPipe[2] = {-1, -1};

extern "C" void OnTerminationSignal(int signal) {
  const int savedErrno = errno;
  const char number = static_cast<char>(signal);
  // A full pipe already holds a request; nothing more is needed.
  [[maybe_unused]] const ssize_t written = ::write(gPipe[0], &number, 1);
  errno = savedErrno;
}

} // namespace

TerminationSignals::TerminationSignals(QObject *parent) : QObject(parent) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, gPipe) != 0)
    return;
  notifier_ = new QSocketNotifier(gPipe[1], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::onReadable);
  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : kHandledSignals)
    ::sigaction(signal, &action, nullptr);
}

TerminationSignals::~TerminationSignals() {
  if (!notifier_)
    return;
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  for (int signal : kHandledSignals)
    ::sigaction(signal, &action, nullptr);
  ::close(gPipe[0]);
  ::close(gPipe[1]);
  gPipe[0] = gPipe[1] = -1;
}

void TerminationSignals::onReadable() {
  char number = 0;
  while (::read(gPipe[1], &number, 1) == 1) {
    if (requested_)
      continue;
    requested_ = true;
    emit terminationRequested(static_cast<unsigned char>(number));
  }
}

} // namespace pipora::editor
