#pragma once
// Wakes the user-interface thread at a time on the steady clock with sub-millisecond
// precision (a timerfd watched by the event loop on Linux, a precise QTimer elsewhere).
#include "playback/wake_timer.h"

#include <QObject>

class QSocketNotifier;
class QTimer;

namespace pipora {

class PreciseWakeTimer : public QObject, public WakeTimer {
  Q_OBJECT
public:
  explicit PreciseWakeTimer(QObject *parent = nullptr);
  ~PreciseWakeTimer() override;

  void wakeAt(double steadyMs) override;
  void cancel() override;
  bool active() const override { return active_; }

private:
  void onExpired();

  int fd_ = -1;
  QSocketNotifier *notifier_ = nullptr;
  QTimer *fallback_ = nullptr;
  bool active_ = false;
};

} // namespace pipora
