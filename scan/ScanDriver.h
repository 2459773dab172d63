// ScanDriver: the path of one dropped file turned into the rows of the result list.
// It reads the trigger script out of the map archive ("war3map.j", and
// "scripts\war3map.j" only when the first read gives 0 bytes), transcodes it once and
// extracts once, so the list is always emptied and refilled, also when nothing was read.
// It looks at nothing but the length of what was read, and reports nothing.
#pragma once

#include "map/MapArchiveReader.h"
#include "scan/ResultSink.h"
#include "scan/Text.h"

namespace quorvell {

class ScanDriver {
  public:
    ScanDriver(MapArchiveReader& reader, ResultSink& sink) : reader_(reader), sink_(sink) {}

    void scanMapFile(const Text& path);

    // The primary and the fallback script names, as stored in the archive.
    static const Text& primaryScriptName();
    static const Text& fallbackScriptName();

  private:
    MapArchiveReader& reader_;
    ResultSink& sink_;
};

} // namespace quorvell
