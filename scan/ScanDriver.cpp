#include "scan/ScanDriver.h"

#include "map/ScriptTranscoder.h"
#include "scan/ChatCommandExtractor.h"

namespace quorvell {

const Text& ScanDriver::primaryScriptName() {
    static const Text name("war3map.j");
    return name;
}

const Text& ScanDriver::fallbackScriptName() {
    static const Text name("scripts\\war3map.j");
    return name;
}

void ScanDriver::scanMapFile(const Text& path) {
    Text script;
    {
        ByteBuffer bytes = reader_.readInnerFile(path, primaryScriptName());
        if (bytes.length() == 0) {
            // The fallback's result replaces the first whatever it is.
            bytes = reader_.readInnerFile(path, fallbackScriptName());
        }
        script = ScriptTranscoder::transcodeScript(bytes);
    } // the bytes are released before the extraction needs its own memory
    ChatCommandExtractor::extractChatCommands(script, sink_);
}

} // namespace quorvell
