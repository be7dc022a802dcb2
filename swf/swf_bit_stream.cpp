#include "swf/swf_bit_stream.h"

#include <cassert>
#include <cstdio>

#include "platform/file_system.h"
#include "swf/little_endian.h"

namespace lumapress {

bool SwfBitStream::Open(const std::string& path) {
  deflating_.reset();
  // Read access as well, so a patched tag can be moved when it has to grow.
  file_.reset(OpenFile(path, "w+b"));
  bytesWritten_ = 0;
  bitBuffer_ = 0;
  bitCount_ = 0;
  failed_ = file_ == nullptr;
  return !failed_;
}

bool SwfBitStream::OpenCompressed(const std::string& path) {
  file_.reset();
  deflating_ = std::make_unique<DeflatingMovieFile>();
  bytesWritten_ = 0;
  bitBuffer_ = 0;
  bitCount_ = 0;
  failed_ = !deflating_->Open(path);
  if (failed_) deflating_.reset();
  return !failed_;
}

void SwfBitStream::WriteBits(int32_t value, int count) {
  assert(count >= 0 && count <= kMaxFieldBits);
  if (count <= 0 || count > kMaxFieldBits) {
    failed_ = failed_ || count != 0;
    return;
  }
  const uint64_t mask = (uint64_t{1} << count) - 1;
  bitBuffer_ = bitBuffer_ << count | (static_cast<uint32_t>(value) & mask);
  bitCount_ += count;
  while (bitCount_ >= 8) {
    bitCount_ -= 8;
    EmitByte(static_cast<uint8_t>(bitBuffer_ >> bitCount_));
    bitBuffer_ &= (uint64_t{1} << bitCount_) - 1;
  }
}

void SwfBitStream::AlignToByte() {
  if (bitCount_ > 0) WriteBits(0, 8 - bitCount_);
}

void SwfBitStream::WriteByte(int32_t value) { WriteBits(value & 0xFF, 8); }

void SwfBitStream::WriteU16(int32_t value) { WriteBytes(U16Bytes(static_cast<uint32_t>(value))); }

void SwfBitStream::WriteU32(uint32_t value) { WriteBytes(U32Bytes(value)); }

void SwfBitStream::WriteBytes(std::span<const uint8_t> bytes) {
  if (bitCount_ != 0) {
    for (uint8_t byte : bytes) WriteByte(byte);
    return;
  }
  if (bytes.empty()) return;
  if (deflating_) {
    if (!failed_ && !deflating_->Put(bytesWritten_, bytes)) failed_ = true;
  } else if (!file_) {
    failed_ = true;
  } else if (!failed_ && std::fwrite(bytes.data(), 1, bytes.size(), file_.get()) != bytes.size()) {
    failed_ = true;
  }
  bytesWritten_ += static_cast<int64_t>(bytes.size());
}

void SwfBitStream::WriteSettledBytes(std::span<const uint8_t> bytes) {
  if (deflating_ && bitCount_ == 0 && !failed_ && deflating_->CanPutSettled(bytesWritten_)) {
    if (!deflating_->PutSettled(bytesWritten_, bytes)) failed_ = true;
    bytesWritten_ += static_cast<int64_t>(bytes.size());
    return;
  }
  WriteBytes(bytes);
}

int SwfBitStream::Close() {
  if (deflating_) {
    if (!deflating_->Close(diagnostics_)) failed_ = true;
    deflating_.reset();
    return failed_ ? EOF : 0;
  }
  if (!file_) {
    failed_ = true;
    return EOF;
  }
  if (std::fclose(file_.release()) != 0) failed_ = true;
  return failed_ ? EOF : 0;
}

void SwfBitStream::SeekTo(int64_t offset) {
  assert(bitCount_ == 0);
  if (deflating_) {
    bytesWritten_ = offset;  // Put refuses offsets that are gone
    return;
  }
  if (!file_ || std::fseek(file_.get(), static_cast<long>(offset), SEEK_SET) != 0) failed_ = true;
  bytesWritten_ = offset;
}

void SwfBitStream::ReadBack(int64_t offset, std::span<uint8_t> into) {
  SeekTo(offset);
  if (failed_) return;
  if (deflating_) {
    if (!deflating_->Get(offset, into)) failed_ = true;
    return;
  }
  if (std::fread(into.data(), 1, into.size(), file_.get()) != into.size()) failed_ = true;
}

void SwfBitStream::Settle(int64_t offset) {
  if (deflating_ && !failed_ && !deflating_->Settle(offset)) failed_ = true;
}

void SwfBitStream::MarkPrecompressed(int64_t offset, int64_t length) {
  if (deflating_ && !failed_) deflating_->MarkPrecompressed(offset, length);
}

void SwfBitStream::EmitByte(uint8_t byte) {
  if (deflating_) {
    if (!failed_ && !deflating_->Put(bytesWritten_, {&byte, 1})) failed_ = true;
  } else if (!file_) {
    failed_ = true;
  } else if (!failed_ && std::fputc(byte, file_.get()) == EOF) {
    failed_ = true;
  }
  ++bytesWritten_;
}

}  // namespace lumapress
