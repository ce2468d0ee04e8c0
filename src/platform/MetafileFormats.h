#pragma once
// Record-level validation and playback of the two metafile formats (EmfRecords.cpp,
// WmfRecords.cpp); Metafile and MetafilePlayer are the public face.

#include "platform/ByteView.h"

class GdiContext;

namespace emf_records {
// Checks every record; returns false for the first unsound one.
bool validate(ByteView file);
void play(ByteView file, GdiContext& gdi);
} // namespace emf_records

namespace wmf_records {
bool validate(ByteView file, qint64 firstRecord);
void play(ByteView file, qint64 firstRecord, GdiContext& gdi);
} // namespace wmf_records
