#include <cstdio>

int main() {
  std::fputs("usage: piporapad-cli COMMAND ...\n", stderr);
  return 2;
}
