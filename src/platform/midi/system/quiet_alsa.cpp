#include "platform/midi/system/quiet_alsa.h"

#include <mutex>

#if defined(__linux__) && __has_include(<alsa/asoundlib.h>)
#include <alsa/asoundlib.h>
#include <dlfcn.h>
#define PIPORAPAD_HAVE_ALSA 1
#endif

namespace pipora {

#ifdef PIPORAPAD_HAVE_ALSA
namespace {
void IgnoreAlsaError(const char *, int, const char *, int, const char *, ...) {}
} // namespace
#endif

void QuietAlsaErrors() {
#ifdef PIPORAPAD_HAVE_ALSA
  static std::once_flag once;
  std::call_once(once, [] {
    // ALSA comes in with FluidSynth and RtMidi; it is looked up rather than linked so that
    // a build against other audio back ends still works.
    using SetHandler = int (*)(snd_lib_error_handler_t);
    if (auto set = reinterpret_cast<SetHandler>(dlsym(RTLD_DEFAULT, "snd_lib_error_set_handler")))
      set(&IgnoreAlsaError);
  });
#endif
}

} // namespace pipora
