#include "playback/precise_wake_timer.h"

#include "playback/clock.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cmath>

#ifdef __linux__
#include <sys/timerfd.h>
#include <unistd.h>
#endif

namespace pipora {

PreciseWakeTimer::PreciseWakeTimer(QObject *parent) : QObject(parent) {
#ifdef __linux__
  fd_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
  if (fd_ >= 0) {
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
      std::uint64_t expirations = 0;
      [[maybe_unused]] const auto n = ::read(fd_, &expirations, sizeof expirations);
      onExpired();
    });
    return;
  }
#endif
  fallback_ = new QTimer(this);
  fallback_->setSingleShot(true);
  fallback_->setTimerType(Qt::PreciseTimer);
  connect(fallback_, &QTimer::timeout, this, [this] { onExpired(); });
}

PreciseWakeTimer::~PreciseWakeTimer() {
#ifdef __linux__
  if (fd_ >= 0) {
    delete notifier_;
    ::close(fd_);
  }
#endif
}

void PreciseWakeTimer::wakeAt(double steadyMs) {
  active_ = true;
#ifdef __linux__
  if (fd_ >= 0) {
    // The steady clock is CLOCK_MONOTONIC, so an absolute expiry needs no conversion.
    // Zero would disarm the timer: a time already past becomes one nanosecond.
    const double ns = std::max(1.0, std::ceil(steadyMs * 1e6));
    itimerspec spec{};
    spec.it_value.tv_sec = static_cast<time_t>(ns / 1e9);
    spec.it_value.tv_nsec = static_cast<long>(ns - static_cast<double>(spec.it_value.tv_sec) * 1e9);
    timerfd_settime(fd_, TFD_TIMER_ABSTIME, &spec, nullptr);
    return;
  }
#endif
  const double wait = std::ceil(steadyMs - SteadyNowMs());
  fallback_->start(static_cast<int>(std::max(0.0, wait)));
}

void PreciseWakeTimer::cancel() {
  active_ = false;
#ifdef __linux__
  if (fd_ >= 0) {
    itimerspec spec{};
    timerfd_settime(fd_, 0, &spec, nullptr);
    return;
  }
#endif
  fallback_->stop();
}

void PreciseWakeTimer::onExpired() {
  if (!active_)
    return;
  active_ = false;
  fire();
}

} // namespace pipora
