#include "swf/zlib_deflater.h"

#include <algorithm>
#include <limits>
#include <new>

namespace lumapress {
namespace {

// Output grows by at least this much at a time, so small pieces do not resize on every call.
constexpr size_t kMinOutputGrowth = size_t{64} * 1024;
// zlib counts in 32-bit unsigned fields; larger inputs are fed in pieces of this size.
constexpr size_t kMaxPieceBytes = size_t{1} << 30;

}  // namespace

ZlibDeflater::ZlibDeflater(int level) {
  const int result = deflateInit(&stream_, level);
  if (result == Z_MEM_ERROR) throw std::bad_alloc();
  ok_ = result == Z_OK;
}

ZlibDeflater::~ZlibDeflater() {
  if (ok_) deflateEnd(&stream_);
}

bool ZlibDeflater::Append(std::span<const uint8_t> input, bool finish, std::vector<uint8_t>& out) {
  if (!ok_) return false;
  for (;;) {
    const size_t piece = std::min(input.size(), kMaxPieceBytes);
    const bool last = piece == input.size();
    const int flush = finish && last ? Z_FINISH : Z_NO_FLUSH;
    stream_.next_in = const_cast<Bytef*>(input.data());
    stream_.avail_in = static_cast<uInt>(piece);
    int result = Z_OK;
    do {
      // Room for what this piece can grow into, so one deflate call usually suffices.
      const size_t room = std::max(kMinOutputGrowth, static_cast<size_t>(deflateBound(&stream_, stream_.avail_in)));
      const size_t used = out.size();
      out.resize(used + room);
      stream_.next_out = out.data() + used;
      stream_.avail_out = static_cast<uInt>(room);
      result = deflate(&stream_, flush);
      out.resize(used + room - stream_.avail_out);
      if (result == Z_STREAM_ERROR) {
        ok_ = false;
        deflateEnd(&stream_);
        return false;
      }
    } while (stream_.avail_out == 0 || (flush == Z_FINISH && result != Z_STREAM_END));
    input = input.subspan(piece);
    if (last) break;
  }
  if (finish) {
    deflateEnd(&stream_);
    ok_ = false;  // the stream is complete; nothing more may be appended
  }
  return true;
}

}  // namespace lumapress
