#include <cstdio>

int main() {
  std::puts("Nightwisp: the window is being built.");
  return 0;
}
