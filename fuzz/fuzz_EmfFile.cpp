// Enhanced metafiles: validation by libuemf and our checks, then the player.

#include "MetafileHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fuzzMetafile(data, size);
}
