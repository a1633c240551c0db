#include "platform/midi/fluidsynth/fluidsynth_rendering_backend.h"

#include "platform/midi/fluidsynth/fluidsynth_engine.h"

namespace pipora {

namespace {

class FluidSynthRenderingBackend : public RenderingMidiBackend {
public:
  FluidSynthEngine &engine() { return engine_; }

  int deviceCount() override { return 1; }
  bool open() override { return !open_ && (open_ = true); }
  bool close() override { return open_ && !(open_ = false); }
  // The end of a rendered song lets its last notes ring out instead of cutting them.
  bool reset() override { return open_ && engine_.releaseAll(); }
  bool send(std::uint32_t message) override { return open_ && engine_.dispatch(message); }
  int sampleRate() const override { return kSynthSampleRate; }
  void render(std::int16_t *out, int frames) override { engine_.render(out, frames); }

private:
  FluidSynthEngine engine_;
  bool open_ = false;
};

} // namespace

Result<std::unique_ptr<RenderingMidiBackend>>
CreateSoundFontRenderer(const std::string &soundFontPath) {
  auto backend = std::make_unique<FluidSynthRenderingBackend>();
  if (const std::string problem =
          backend->engine().loadSoundFont(SoundFontPathOrDefault(soundFontPath));
      !problem.empty())
    return Error{problem};
  return std::unique_ptr<RenderingMidiBackend>(std::move(backend));
}

} // namespace pipora
