#pragma once
// Packs bytes that are held in memory for a while and read back often (an uncompressed
// bitmap figure): zstd at its quickest level, which packs a drawing's bitmap several times
// faster and smaller than zlib does and unpacks it at memory speed.

#include <QByteArray>
#include <QByteArrayView>

namespace fast_packing {

// The packed bytes; empty when packing fails (no memory).
QByteArray pack(QByteArrayView bytes);
// The bytes packed by pack. Throws std::bad_alloc when memory runs short and
// std::runtime_error when packed is not a whole packed frame.
QByteArray unpack(QByteArrayView packed);

} // namespace fast_packing
