// Writes one save into a folder as the game does: record1.dat with the given correct answers and
// Settei.ini's answer mode. test_save_pair runs it under strace, which kills it or fails a call at
// each step of the save. Exit status: 0 saved, 1 the save reported a failure, 2 wrong arguments.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "rules/save_file.h"

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  TSaveData data;
  data.MondaiNo = 1;
  data.SeikaiCount = std::atoi(argv[2]);
  std::string error;
  game::TSettings keys;
  keys.KaitoMode = std::atoi(argv[3]);
  if (WriteSavePair(argv[1], data, keys, false, error) == TSavePairResult::Saved) {
    return 0;
  }
  std::fprintf(stderr, "%s\n", error.c_str());
  return 1;
}
