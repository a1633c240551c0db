// Writes a savable SMD song of 16 parts x N notes for memory and speed measurements.
// Usage: make_big_smd NOTES_PER_PART OUT.smd
#include "support/big_song.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_big_smd NOTES_PER_PART OUT.smd\n");
    return 2;
  }
  pipora::Song song = pipora::bench::MakeSong(std::atoi(argv[1]));
  const pipora::SmdEncoding encoding = pipora::EncodeSmd(song);
  if (!encoding.ok())
    return 1;
  std::FILE *out = std::fopen(argv[2], "wb");
  if (!out)
    return 3;
  const bool written =
      std::fwrite(encoding.text.data(), 1, static_cast<std::size_t>(encoding.text.size()), out) ==
      static_cast<std::size_t>(encoding.text.size());
  return std::fclose(out) == 0 && written ? 0 : 3;
}
