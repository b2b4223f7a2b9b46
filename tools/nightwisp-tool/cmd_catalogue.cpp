#include "commands.h"

#include <cstdio>

namespace tool {

int RunCatalogue(const std::vector<std::string>& /*args*/) {
  std::fprintf(stderr, "catalogue: not built yet\n");
  return 1;
}

}  // namespace tool
