// Placeable Windows metafiles: validation by libuemf and our checks, then the player. The
// loader tells the two formats apart itself; this harness starts from WMF seeds.

#include "MetafileHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fuzzMetafile(data, size);
}
