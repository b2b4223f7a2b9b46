#include <cstdio>

int main() {
  std::puts("Nightwisp: the window is not built yet.");
  return 0;
}
