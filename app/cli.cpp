#include <cstdio>

int main() {
  std::fputs("usage: diruruzevuv-cli sweep [DESIGN_FILE]\n", stderr);
  return 2;
}
