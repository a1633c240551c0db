#pragma once
// A one-shot wake-up at a time on the player's clock. The player sleeps between due
// times instead of polling; tests and the offline renderer fire it by hand.
#include <functional>
#include <limits>

namespace pipora {

class WakeTimer {
public:
  virtual ~WakeTimer() = default;
  // Replaces any earlier request.
  virtual void wakeAt(double ms) = 0;
  virtual void cancel() = 0;
  virtual bool active() const = 0;
  void setHandler(std::function<void()> handler) { handler_ = std::move(handler); }

protected:
  void fire() {
    if (handler_)
      handler_();
  }

private:
  std::function<void()> handler_;
};

// Fired by whoever drives the clock: tests, the offline renderer, benchmarks.
class ManualWakeTimer : public WakeTimer {
public:
  void wakeAt(double ms) override {
    due_ = ms;
    active_ = true;
  }
  void cancel() override { active_ = false; }
  bool active() const override { return active_; }
  double due() const { return active_ ? due_ : std::numeric_limits<double>::infinity(); }
  // Fires when a wake-up is pending; the request is consumed first so the handler may re-arm.
  void trigger() {
    if (!active_)
      return;
    active_ = false;
    fire();
  }

private:
  double due_ = 0;
  bool active_ = false;
};

} // namespace pipora
