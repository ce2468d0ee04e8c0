// Feeds arbitrary bytes to the .chm reader in this process: the checks before chmlib, chmlib's
// opening of the checked bytes and the reading of every file it lists.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "help/ChmArchive.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        ChmLimits limits;
        limits.objectBytes = 1u << 20; // keep single runs short
        const auto archive =
            ChmArchive::open(std::string_view(reinterpret_cast<const char*>(data), size), limits);
        for (const ChmEntry& entry : archive->files())
            (void)archive->read(entry);
    } catch (const ChmError&) {
    }
    return 0;
}
