#include "swf/deflating_movie_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "common/cancellation.h"
#include "platform/file_system.h"
#include "swf/movie_compression.h"

namespace lumapress {
namespace {

// Signature, version and FileLength: outside the zlib stream.
constexpr int64_t kHeaderBytes = kMovieHeaderBytes;
// Precompressed spans enter the stream as stored blocks.
constexpr int kStoredLevel = 0;
// Settled bytes are compressed in pieces of at least this size: fewer, larger deflate calls.
constexpr size_t kSettleBytes = size_t{256} * 1024;

}  // namespace

bool DeflatingMovieFile::Open(const std::string& path) {
  file_.reset(OpenFile(path, "wb"));
  deflater_.reset();
  header_ = {};
  pendingStart_ = kHeaderBytes;
  pending_.clear();
  settledEnd_ = kHeaderBytes;
  precompressed_.clear();
  compressedBytes_ = 0;
  failed_ = file_ == nullptr;
  if (failed_) return false;
  deflater_.emplace(kMovieZlibLevel, kMovieZlibMemLevel);
  // Room for the header, written for real by Close.
  failed_ = !deflater_->ok() || std::fwrite(header_.data(), 1, header_.size(), file_.get()) != header_.size();
  return !failed_;
}

bool DeflatingMovieFile::Put(int64_t offset, std::span<const uint8_t> bytes) {
  while (!bytes.empty() && offset < kHeaderBytes) {
    if (offset < 0) return false;
    header_[static_cast<size_t>(offset++)] = bytes.front();
    bytes = bytes.subspan(1);
  }
  if (bytes.empty()) return true;
  const int64_t end = pendingStart_ + static_cast<int64_t>(pending_.size());
  if (offset < pendingStart_ || offset > end) return false;
  const auto at = static_cast<size_t>(offset - pendingStart_);
  const size_t overlap = std::min(bytes.size(), pending_.size() - at);
  if (overlap > 0) std::memcpy(pending_.data() + at, bytes.data(), overlap);
  pending_.insert(pending_.end(), bytes.begin() + static_cast<std::ptrdiff_t>(overlap), bytes.end());
  return true;
}

bool DeflatingMovieFile::CanPutSettled(int64_t offset) const {
  const int64_t end = pendingStart_ + static_cast<int64_t>(pending_.size());
  return offset == end && settledEnd_ == end && offset >= kHeaderBytes;
}

bool DeflatingMovieFile::PutSettled(int64_t offset, std::span<const uint8_t> bytes) {
  if (failed_ || !CanPutSettled(offset)) return false;
  if (!pending_.empty()) {
    if (!WriteCompressed(pending_, pendingStart_, false)) return false;
    pending_.clear();
  }
  if (!WriteCompressed(bytes, offset, false)) return false;
  pendingStart_ = offset + static_cast<int64_t>(bytes.size());
  settledEnd_ = pendingStart_;
  return true;
}

bool DeflatingMovieFile::Get(int64_t offset, std::span<uint8_t> into) const {
  if (offset < kHeaderBytes) {
    if (offset < 0 || offset + static_cast<int64_t>(into.size()) > kHeaderBytes) return false;
    if (!into.empty()) std::memcpy(into.data(), header_.data() + offset, into.size());
    return true;
  }
  if (offset < pendingStart_ ||
      offset + static_cast<int64_t>(into.size()) > pendingStart_ + static_cast<int64_t>(pending_.size())) {
    return false;
  }
  if (!into.empty()) std::memcpy(into.data(), pending_.data() + (offset - pendingStart_), into.size());
  return true;
}

void DeflatingMovieFile::MarkPrecompressed(int64_t offset, int64_t length) {
  const int64_t after = precompressed_.empty() ? settledEnd_ : precompressed_.back().end;
  if (length <= 0 || offset < after) return;
  precompressed_.push_back({offset, offset + length});
}

bool DeflatingMovieFile::Settle(int64_t offset) {
  const int64_t end = pendingStart_ + static_cast<int64_t>(pending_.size());
  settledEnd_ = std::clamp(offset, settledEnd_, end);
  const auto settled = static_cast<size_t>(settledEnd_ - pendingStart_);
  if (failed_ || settled < kSettleBytes) return !failed_;
  if (!WriteCompressed(std::span<const uint8_t>(pending_).first(settled), pendingStart_, false)) {
    return false;
  }
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(settled));
  pendingStart_ = settledEnd_;
  return true;
}

bool DeflatingMovieFile::Feed(std::span<const uint8_t> bytes, int level) {
  if (!deflater_->SetLevel(level, compressed_)) return false;
  // In pieces, so that a cancelled run stops between them; at one level the stream does not
  // depend on how its input is cut.
  while (!bytes.empty()) {
    const std::span<const uint8_t> piece = bytes.first(std::min(bytes.size(), kSettleBytes));
    bytes = bytes.subspan(piece.size());
    if (CancellationRequested() || !deflater_->Append(piece, false, compressed_)) return false;
    // Written as it comes: the output buffer stays the size of a piece, in cache, however
    // large the bitmap.
    if (compressed_.size() >= kSettleBytes && !WriteOut()) return false;
  }
  return true;
}

bool DeflatingMovieFile::WriteOut() {
  if (std::fwrite(compressed_.data(), 1, compressed_.size(), file_.get()) != compressed_.size()) {
    return false;
  }
  compressedBytes_ += compressed_.size();
  compressed_.clear();
  return true;
}

bool DeflatingMovieFile::WriteCompressed(std::span<const uint8_t> bytes, int64_t start,
                                         bool finish) {
  bool ok = deflater_.has_value();
  const int64_t end = start + static_cast<int64_t>(bytes.size());
  const auto slice = [&](int64_t from, int64_t to) {
    return bytes.subspan(static_cast<size_t>(from - start), static_cast<size_t>(to - from));
  };
  for (int64_t at = start; ok && at < end;) {
    while (!precompressed_.empty() && precompressed_.front().end <= at) precompressed_.pop_front();
    if (!precompressed_.empty() && precompressed_.front().begin <= at) {
      const int64_t next = std::min(end, precompressed_.front().end);
      ok = Feed(slice(at, next), kStoredLevel);
      at = next;
    } else {
      const int64_t next =
          precompressed_.empty() ? end : std::min(end, precompressed_.front().begin);
      ok = Feed(slice(at, next), kMovieZlibLevel);
      at = next;
    }
  }
  if (!ok || (finish && !deflater_->Append({}, true, compressed_)) || !WriteOut()) {
    failed_ = true;
    return false;
  }
  return true;
}

bool DeflatingMovieFile::Close(Diagnostics& diagnostics) {
  if (!file_) return false;
  const int64_t uncompressedBytes = pendingStart_ + static_cast<int64_t>(pending_.size());
  if (!failed_) WriteCompressed(pending_, pendingStart_, true);
  pending_.clear();
  pending_.shrink_to_fit();
  compressed_ = {};
  deflater_.reset();
  const uint8_t header[kHeaderBytes] = {'C',        'W',        'S',        kCompressedMovieVersion,
                                        header_[4], header_[5], header_[6], header_[7]};
  if (!failed_ && (std::fseek(file_.get(), 0, SEEK_SET) != 0 ||
                   std::fwrite(header, 1, sizeof header, file_.get()) != sizeof header)) {
    failed_ = true;
  }
  if (std::fclose(file_.release()) != 0) failed_ = true;
  if (failed_) return false;
  diagnostics.AddFormat("- uncompressed input: %10lld bytes\n- compressed output : %10lld bytes\n\n",
                 static_cast<long long>(uncompressedBytes),
                 static_cast<long long>(compressedBytes_ + kHeaderBytes));
  diagnostics.Add("- done.\n");
  return true;
}

}  // namespace lumapress
