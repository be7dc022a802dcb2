#include "jpeg/jpeg_markers.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "jpeg/jpeg_properties.h"

namespace lumapress {
namespace {

constexpr uint8_t kMarkerPrefix = 0xFF;
constexpr uint8_t kSoi = 0xD8, kApp0 = 0xE0, kApp14 = 0xEE, kCom = 0xFE, kDqt = 0xDB;
constexpr uint8_t kDht = 0xC4, kSof0 = 0xC0, kSos = 0xDA, kEoi = 0xD9;
constexpr uint8_t kSamplePrecision = 8;
constexpr uint8_t kSpectralEnd = 63;

constexpr char kCommentFormat[] = "Vexlor(R) JPEG Library, version %s";
// Room for the formatted comment text and its terminating zero.
constexpr size_t kCommentCapacity = 64;

// Builds one marker segment: marker, then the length field (patched on Finish), then fields.
class Segment {
 public:
  explicit Segment(uint8_t marker) { bytes_ = {kMarkerPrefix, marker, 0, 0}; }
  Segment& Byte(uint32_t value) {
    bytes_.push_back(static_cast<uint8_t>(value));
    return *this;
  }
  Segment& U16(uint32_t value) { return Byte(value >> 8).Byte(value); }
  Segment& Bytes(const void* data, size_t length) {
    const auto* p = static_cast<const uint8_t*>(data);
    bytes_.insert(bytes_.end(), p, p + length);
    return *this;
  }
  // Sets the length field (everything after the marker) and hands the segment to the sink.
  int32_t Write(JpegWorkingState& state) {
    const size_t length = bytes_.size() - 2;
    bytes_[2] = static_cast<uint8_t>(length >> 8);
    bytes_[3] = static_cast<uint8_t>(length);
    return state.ops.writeBytes(state.sink, bytes_.data(), bytes_.size());
  }

 private:
  std::vector<uint8_t> bytes_;
};

int32_t WriteMarker(JpegWorkingState& state, uint8_t marker) {
  const uint8_t bytes[2] = {kMarkerPrefix, marker};
  return state.ops.writeBytes(state.sink, bytes, sizeof bytes);
}

bool UsesAdobeSegment(int32_t jpegColor) {
  return jpegColor == kJpegColorRgb || jpegColor == kJpegColorCmyk || jpegColor == kJpegColorYcck;
}

int32_t WriteApplicationSegment(JpegWorkingState& state) {
  if (UsesAdobeSegment(state.image.jpegColor)) {
    constexpr uint8_t kTransformNone = 0, kTransformYcck = 2;
    return Segment(kApp14)
        .Bytes("Adobe", 5)
        .U16(state.adobe.version)
        .U16(state.adobe.flags0)
        .U16(state.adobe.flags1)
        .Byte(state.image.jpegColor == kJpegColorYcck ? kTransformYcck : kTransformNone)
        .Write(state);
  }
  return Segment(kApp0)
      .Bytes("JFIF", 5)  // with its terminating zero
      .Byte(state.jfif.versionMajor)
      .Byte(state.jfif.versionMinor)
      .Byte(state.jfif.units)
      .U16(state.jfif.xDensity)
      .U16(state.jfif.yDensity)
      .Byte(0)  // thumbnail width
      .Byte(0)  // thumbnail height
      .Write(state);
}

int32_t WriteComment(JpegWorkingState& state) {
  char text[kCommentCapacity];
  const int length = std::snprintf(text, sizeof text, kCommentFormat, kJpegEncoderVersion);
  // Written only when the version went into the text.
  if (length <= static_cast<int>(std::strlen(kCommentFormat))) return kJpegOk;
  return Segment(kCom).Bytes(text, static_cast<size_t>(length) + 1).Write(state);
}

int32_t WriteQuantTables(JpegWorkingState& state) {
  for (int table = 0; table < kJpegTableCount; ++table) {
    const int32_t result =
        Segment(kDqt).Byte(table).Bytes(state.quantTables[table], kJpegBlockSize).Write(state);
    if (result != kJpegOk) return result;
  }
  return kJpegOk;
}

int32_t WriteHuffmanTables(JpegWorkingState& state) {
  size_t length = 2;
  for (int position = 0; position < kJpegDefaultHuffmanCount; ++position) {
    length += 17 + DefaultHuffmanSpec(position).values.size();
  }
  const uint8_t head[4] = {kMarkerPrefix, kDht, static_cast<uint8_t>(length >> 8),
                           static_cast<uint8_t>(length)};
  int32_t result = state.ops.writeBytes(state.sink, head, sizeof head);
  for (int position = 0; result == kJpegOk && position < kJpegDefaultHuffmanCount; ++position) {
    const JpegHuffmanSpec& table = DefaultHuffmanSpec(position);
    if (table.values.size() > static_cast<size_t>(kJpegMaxHuffmanValues)) return kJpegBadHuffmanTable;
    std::vector<uint8_t> piece{static_cast<uint8_t>(table.tableClass * 16 + table.id)};
    piece.insert(piece.end(), table.counts.begin(), table.counts.end());
    piece.insert(piece.end(), table.values.begin(), table.values.end());
    result = state.ops.writeBytes(state.sink, piece.data(), piece.size());
  }
  return result;
}

// A single component is identified as 0; several as 1, 2, 3, ...
bool SingleComponent(const JpegWorkingState& state) { return state.componentCount == 1; }

int32_t WriteFrameHeader(JpegWorkingState& state) {
  Segment sof(kSof0);
  sof.Byte(kSamplePrecision).U16(state.image.jpegHeight).U16(state.image.jpegWidth);
  sof.Byte(state.componentCount);
  for (int c = 0; c < state.componentCount; ++c) {
    const JpegComponent& component = state.components[c];
    const uint32_t sampling = SingleComponent(state) ? 0x11 : component.h * 16u + component.v;
    sof.Byte(component.id).Byte(sampling).Byte(component.quantTable);
  }
  return sof.Write(state);
}

int32_t WriteScanHeader(JpegWorkingState& state) {
  Segment sos(kSos);
  sos.Byte(state.componentCount);
  for (int c = 0; c < state.componentCount; ++c) {
    const JpegComponent& component = state.components[c];
    const uint32_t tables = SingleComponent(state) ? 0 : component.dcTable * 16u + component.acTable;
    sos.Byte(component.id).Byte(tables);
  }
  return sos.Byte(0).Byte(kSpectralEnd).Byte(0).Write(state);
}

}  // namespace

bool ModeWritesTables(int32_t mode) { return mode >= kJpegModeFile && mode <= kJpegModeTablesBuffer; }

bool ModeWritesScan(int32_t mode) {
  return mode == kJpegModeFile || mode == kJpegModeBuffer || mode == kJpegModeImageFile ||
         mode == kJpegModeImageBuffer;
}

int32_t WriteHeaderSegments(JpegWorkingState& state) {
  int32_t result = WriteMarker(state, kSoi);
  if (result == kJpegOk && ModeWritesTables(state.mode)) {
    result = WriteApplicationSegment(state);
    if (result == kJpegOk) result = WriteComment(state);
    if (result == kJpegOk) result = WriteQuantTables(state);
    if (result == kJpegOk) result = WriteHuffmanTables(state);
  }
  if (result != kJpegOk) return result;
  if (!ModeWritesScan(state.mode)) return WriteEndOfImage(state);
  result = WriteFrameHeader(state);
  if (result == kJpegOk) result = WriteScanHeader(state);
  return result;
}

int32_t WriteEndOfImage(JpegWorkingState& state) {
  const uint8_t eoi[2] = {kMarkerPrefix, kEoi};
  return WriteFinalBytes(state.sink, eoi, sizeof eoi);
}

}  // namespace lumapress
