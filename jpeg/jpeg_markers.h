#pragma once

// The marker segments before and after the entropy-coded data (ITU T.81 B.2, JFIF, Adobe).

#include <cstdint>

namespace lumapress {

struct JpegWorkingState;

// SOI, then for the modes with tables APP0 or APP14, COM, DQT per table and DHT, then for the
// modes with a scan SOF0 and SOS, each handed to the sink as one piece (DHT as its head and
// one piece per table). Tables-only modes end with EOI here.
int32_t WriteHeaderSegments(JpegWorkingState& state);

// EOI after the scan; it may occupy the buffer's last byte.
int32_t WriteEndOfImage(JpegWorkingState& state);

// True for the modes that write DQT and DHT (8-11) and for those that write a scan (8, 9,
// 12, 13).
bool ModeWritesTables(int32_t mode);
bool ModeWritesScan(int32_t mode);

}  // namespace lumapress
