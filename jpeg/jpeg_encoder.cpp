#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include "jpeg/jpeg_checks.h"
#include "jpeg/jpeg_color.h"
#include "jpeg/jpeg_markers.h"
#include "jpeg/jpeg_mcu_loop.h"
#include "jpeg/jpeg_properties.h"
#include "platform/file_system.h"

namespace lumapress {
namespace {

constexpr uint32_t kInitializedMark = 0x4A504547;  // "JPEG"
constexpr int32_t kDefaultQuality = 75;
constexpr uint16_t kAdobeVersion = 100;

// Bytes of every marker segment a stream can hold besides the scan (SOI, APP0, COM, two
// DQT, DHT, SOF0 and SOS for four components, EOI), rounded up.
constexpr size_t kMaxHeaderBytes = 700;
// Bits of one block in the worst case: a DC code (16) with 11 magnitude bits, 63 AC codes
// of up to 16 bits with up to 11 magnitude bits, and EOB.
constexpr size_t kMaxBitsPerBlock = 27 + 63 * 27 + 16;
// Every entropy-coded byte may be 0xFF and take a stuffing byte.
constexpr size_t kMaxBytesPerBlock = 2 * ((kMaxBitsPerBlock + 7) / 8);

struct SamplingPattern {
  uint8_t h[kJpegMaxScanComponents];
  uint8_t v[kJpegMaxScanComponents];
};
constexpr SamplingPattern kSamplingPatterns[] = {
    {{1, 1, 1, 1}, {1, 1, 1, 1}},
    {{2, 1, 1, 1}, {2, 1, 1, 1}},
    {{2, 1, 1, 1}, {1, 1, 1, 1}},
    {{2, 1, 1, 2}, {2, 1, 1, 2}},
    {{2, 1, 1, 2}, {1, 1, 1, 1}},
};

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

bool IsFileMode(int32_t mode) {
  return mode == kJpegModeFile || mode == kJpegModeTablesFile || mode == kJpegModeImageFile;
}

JpegImageParams CopyFields(const JPEG_PROPERTIES& record) {
  return {record.pixels,         record.pixelWidth,     record.pixelHeight,
          record.pixelPadBytes,  record.pixelChannels,  record.pixelColor,
          record.pixelSubsampling, record.jpegFileName, record.jpegBuffer,
          record.jpegBufferSize, record.jpegWidth,      record.jpegHeight,
          record.jpegChannels,   record.jpegColor,      record.jpegSubsampling,
          record.colorConversion, record.upsampling,    record.quality};
}

// Row stride, the top row's address, and the default tables for the quality.
void PrepareInput(JpegWorkingState& state) {
  const JpegImageParams& image = state.image;
  const ptrdiff_t rowBytes = image.pixelSubsampling == 2
                                 ? 2 * ptrdiff_t{image.pixelWidth}
                                 : ptrdiff_t{image.pixelWidth} * image.pixelChannels;
  const ptrdiff_t stride = image.pixelPadBytes + rowBytes;
  state.rowStride = image.pixelHeight < 0 ? -stride : stride;
  state.firstRow = image.pixels;
  if (image.pixelHeight < 0) state.firstRow += (ptrdiff_t{-image.pixelHeight} - 1) * stride;
}

int32_t InstallTables(JpegWorkingState& state) {
  const auto luma = ScaleQuantTable(kJpegLuminanceQuant, state.image.quality);
  const auto chroma = ScaleQuantTable(kJpegChrominanceQuant, state.image.quality);
  std::copy(luma.begin(), luma.end(), state.quantTables[0]);
  std::copy(chroma.begin(), chroma.end(), state.quantTables[1]);
  state.reciprocals[0] = BuildReciprocalTable(luma);
  state.reciprocals[1] = BuildReciprocalTable(chroma);
  for (int position = 0; position < kJpegDefaultHuffmanCount; ++position) {
    const JpegHuffmanSpec& table = DefaultHuffmanSpec(position);
    JpegHuffmanCodes& codes = table.tableClass == 0 ? state.dcCodes[table.id] : state.acCodes[table.id];
    const int32_t result = DeriveHuffmanCodes(table, codes);
    if (result != kJpegOk) return result;
  }
  return kJpegOk;
}

void SetUpComponents(JpegWorkingState& state) {
  const JpegImageParams& image = state.image;
  state.colorTransform = !(image.jpegColor == kJpegColorRgb || image.jpegColor == kJpegColorCmyk ||
                           image.pixelColor == kJpegColorYCbCr || image.pixelColor == kJpegColorGrey ||
                           image.pixelColor == kJpegColorOther);
  state.componentCount = image.jpegChannels;
  const int pattern = image.jpegSubsampling;
  const SamplingPattern& sampling = kSamplingPatterns[pattern];
  const bool chromaTable = pattern == 0 ? state.colorTransform != 0 : image.colorConversion != 0;
  state.maxH = state.maxV = 1;
  for (int c = 0; c < state.componentCount && c < kJpegMaxScanComponents; ++c) {
    JpegComponent& component = state.components[c];
    component.id = static_cast<uint8_t>(state.componentCount == 1 ? 0 : c + 1);
    component.h = sampling.h[c];
    component.v = sampling.v[c];
    const bool usesChromaTable = c > 0 && chromaTable && !(c == 3 && pattern >= 3);
    component.quantTable = usesChromaTable ? 1 : 0;
    component.dcTable = component.acTable = c == 0 ? 0 : 1;
    state.maxH = std::max<int32_t>(state.maxH, component.h);
    state.maxV = std::max<int32_t>(state.maxV, component.v);
  }
  state.mcusAcross = (image.jpegWidth + 8 * state.maxH - 1) / (8 * state.maxH);
  state.mcusDown = (image.jpegHeight + 8 * state.maxV - 1) / (8 * state.maxV);
}

size_t WorstCaseBytes(const JpegWorkingState& state) {
  size_t blocksPerMcu = 0;
  for (int c = 0; c < state.componentCount && c < kJpegMaxScanComponents; ++c) {
    blocksPerMcu += size_t{state.components[c].h} * state.components[c].v;
  }
  const size_t mcus = size_t(std::max(state.mcusAcross, 0)) * size_t(std::max(state.mcusDown, 0));
  return kMaxHeaderBytes + mcus * blocksPerMcu * kMaxBytesPerBlock;
}

// Header, scan and EOI into the sink, which is already set up.
int32_t WriteStream(JpegWorkingState& state) {
  int32_t result = WriteHeaderSegments(state);
  if (result != kJpegOk || !ModeWritesScan(state.mode)) return result;
  result = state.ops.writeBytes(state.sink, nullptr, 0);
  if (result != kJpegOk) return result;
  state.ops.convertMcu = ChooseConverter(state);
  result = EncodeScan(state);
  if (result != kJpegOk) return result;
  return WriteEndOfImage(state);
}

int32_t Encode(JPEG_PROPERTIES& record, int32_t mode) {
  JpegWorkingState& state = record.workingState;
  if (state.initialized != kInitializedMark) return kJpegInvalidEncoder;
  state.mode = mode;
  // The checks also guard a caller-prepared working state: it is read as the pixels are.
  const JpegImageParams fields = record.useWorkingState ? state.image : CopyFields(record);
  int32_t result = CheckJpegProperties(fields, mode, state.dctVariant);
  if (result != kJpegOk) return result;
  if (ModeWritesScan(mode) && fields.jpegChannels > kJpegMaxScanComponents) {
    return kJpegErrorComp;  // one interleaved scan carries at most four components
  }

  FileHandle file;
  if (IsFileMode(mode)) {
    file.reset(OpenFile(fields.jpegFileName, "w+b"));
    if (!file) return kJpegInvalidFileName;
  }
  state.image = fields;
  PrepareInput(state);
  result = InstallTables(state);
  if (result != kJpegOk) return result;
  SetUpComponents(state);
  state.ops.forwardDct = state.ops.variantDct[state.dctVariant];
  state.ops.forwardDctBlocks = state.ops.variantDctBlocks[state.dctVariant];
  state.ops.quantize = state.ops.variantQuantize[state.dctVariant];

  // File modes encode into memory first, then write the file in one piece.
  std::vector<uint8_t> fileBytes;
  if (file) {
    fileBytes.resize(WorstCaseBytes(state));
    ResetBitSink(state.sink, fileBytes.data(), fileBytes.size());
  } else {
    ResetBitSink(state.sink, fields.jpegBuffer, static_cast<size_t>(fields.jpegBufferSize));
  }
  result = WriteStream(state);
  if (result != kJpegOk) return result;

  const size_t count = BitSinkCount(state.sink);
  if (file) {
    if (std::fwrite(fileBytes.data(), 1, count, file.get()) != count) return kJpegFileError;
    if (std::fclose(file.release()) != 0) return kJpegErrorCloseFile;
  }
  record.jpegBufferSize = static_cast<int32_t>(count);
  state.image.jpegBufferSize = record.jpegBufferSize;
  return kJpegOk;
}

}  // namespace

int32_t InitProperties(JPEG_PROPERTIES& record) {
  record.useWorkingState = 0;
  record.pixels = nullptr;
  record.pixelWidth = record.pixelHeight = record.pixelPadBytes = 0;
  record.pixelChannels = 3;
  record.pixelColor = kJpegColorBgr;
  record.pixelSubsampling = 0;
  record.jpegFileName = nullptr;
  record.jpegBuffer = nullptr;
  record.jpegBufferSize = record.jpegWidth = record.jpegHeight = 0;
  record.jpegChannels = 3;
  record.jpegColor = kJpegColorYCbCr;
  record.jpegSubsampling = 1;
  record.thumbnailWidth = record.thumbnailHeight = 0;
  record.colorConversion = 1;
  record.upsampling = 1;
  record.quality = kDefaultQuality;

  JpegWorkingState& state = record.workingState;
  state = JpegWorkingState{};
  state.initialized = kInitializedMark;
  state.mode = kJpegModeNotSet;
  state.dctVariant = 1;
  state.jfif = {1, 1, 0, 1, 1};
  state.adobe = {kAdobeVersion, 0, 0};
  for (int c = 0; c < kJpegMaxScanComponents; ++c) {
    state.components[c].quantTable = c == 0 ? 0 : 1;
  }
  state.ops = MakeJpegOpsForClass(ProcessorClassOfThisProcess());
  return kJpegOk;
}

int32_t EncodeImage(JPEG_PROPERTIES& record, int32_t mode) {
  int32_t result;
  try {
    result = Encode(record, mode);
  } catch (const std::bad_alloc&) {
    result = kJpegMemoryError;
  }
  if (record.workingState.initialized == kInitializedMark) record.workingState.ops.endVectorState();
  return result;
}

int32_t ReleaseProperties(JPEG_PROPERTIES& record) {
  JpegWorkingState& state = record.workingState;
  if (state.initialized != kInitializedMark) return kJpegInvalidProperties;
  state.ops = JpegOpsTable{};
  state.initialized = 0;
  return kJpegOk;
}

void SelectJpegOpsSet(JPEG_PROPERTIES& record, JpegOpsSet set, JpegInstructionSet instructionSet) {
  record.workingState.ops = MakeJpegOps(set, instructionSet);
}

size_t JpegWorstCaseSize(int width, int height) {
  const size_t mcus = size_t((width + 15) / 16) * size_t((height + 15) / 16);
  constexpr size_t kBlocksPerMcu = 6;  // four Y blocks, Cb, Cr
  return kMaxHeaderBytes + mcus * kBlocksPerMcu * kMaxBytesPerBlock;
}

}  // namespace lumapress
