// A small program that reads "war3map.j" out of the map named by its argument through
// the program's real binding of the archive library, for tests of the binding's fatal
// error. It prints what it read and ends with 0 when the binding holds. With
// --fail-allocation it asks for a buffer from an allocator that always fails instead.
#include "map/MapArchiveReader.h"
#include "map/StormApi.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc < 2) {
        return 2;
    }
    if (std::strcmp(argv[1], "--fail-allocation") == 0) {
        quorvell::detail::setByteBufferAllocator([](std::size_t) -> void* { return nullptr; });
        std::printf("got %d bytes\n", static_cast<int>(quorvell::ByteBuffer::blank(100).length()));
        return 0;
    }
    quorvell::MapArchiveReader reader(quorvell::systemStormApi());
    const quorvell::ByteBuffer bytes = reader.readInnerFile(argv[1], "war3map.j");
    std::printf("read %d bytes\n", static_cast<int>(bytes.length()));
    return 0;
}
