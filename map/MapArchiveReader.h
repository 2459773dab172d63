// MapArchiveReader: one named inner file of a map archive, read whole through the
// archive library's entry points. An empty buffer is the only failure it reports.
#pragma once

#include "map/ByteBuffer.h"
#include "map/StormApi.h"
#include "scan/Text.h"

namespace quorvell {

class MapArchiveReader {
  public:
    explicit MapArchiveReader(StormApi& api) : api_(api) {}

    // The inner file's bytes; the empty buffer when the archive or the inner file does
    // not open or the reported size is 0 or less. When the read stores fewer bytes than
    // the size, the rest of the buffer stays zero.
    ByteBuffer readInnerFile(const Text& mapPath, const Text& innerName);

  private:
    StormApi& api_;
};

} // namespace quorvell
