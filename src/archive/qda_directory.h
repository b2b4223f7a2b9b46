// Reading a QDA archive's header and whole directory, with the checks every reader of the
// format needs: the magic, a complete header, a non-negative entry count and a directory that
// fits in the file.
#pragma once

#include <vector>

#include "archive/qda_format.h"
#include "archive/stream.h"

struct QDADirectory {
  QDAHeader Header;
  std::vector<QDAEntry> Entries;  // directory order
  std::int64_t FileSize = 0;
};

// Reads from position 0 of a seekable stream. Raises EQDAError with
// "Quadruple D Archiveの扱えるデータではありません" when bytes 4..7 are not "QDA0", and with a
// message of its own for a cut-off header, a negative entry count or a directory that runs
// past the end of the file.
QDADirectory ReadQDADirectory(TStream& archive);
