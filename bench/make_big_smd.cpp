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
  const pipora::Result<QByteArray> encoded = pipora::EncodeSmd(song);
  if (!encoded)
    return 1;
  std::FILE *out = std::fopen(argv[2], "wb");
  if (!out)
    return 3;
  const auto size = static_cast<std::size_t>(encoded->size());
  const bool written = std::fwrite(encoded->data(), 1, size, out) == size;
  return std::fclose(out) == 0 && written ? 0 : 3;
}
