#include "common/zlib_deflater.h"

#include <libdeflate.h>

#include <algorithm>
#include <limits>
#include <new>

namespace lumapress {
namespace {

// Output grows by at least this much at a time, so small pieces do not resize on every call.
constexpr size_t kMinOutputGrowth = size_t{64} * 1024;
// zlib counts in 32-bit unsigned fields; larger inputs are fed in pieces of this size.
constexpr size_t kMaxPieceBytes = size_t{1} << 30;
// A 32 KiB window, as compress2 uses; the stream's header says so (78).
constexpr int kWindowBits = 15;
// zlib's header byte for deflate with that window (CM 8, CINFO 7).
constexpr uint8_t kHeaderCmf = 0x78;

// The header's second byte as zlib writes it: FLEVEL from the level of the first deflate call
// (0 fastest, 1 fast, 2 default, 3 maximum), no preset dictionary, FCHECK making the pair a
// multiple of 31.
uint8_t HeaderFlg(int level) {
  if (level == Z_DEFAULT_COMPRESSION) level = 6;  // zlib's meaning of it
  const unsigned flevel = level < 2 ? 0 : level < 6 ? 1 : level == 6 ? 2 : 3;
  const unsigned pair = kHeaderCmf << 8 | flevel << 6;
  return static_cast<uint8_t>((pair + 31 - pair % 31) & 0xFF);
}

}  // namespace

ZlibDeflater::ZlibDeflater(int level, int memLevel) : level_(level) {
  const int result =
      deflateInit2(&stream_, level, Z_DEFLATED, -kWindowBits, memLevel, Z_DEFAULT_STRATEGY);
  if (result == Z_MEM_ERROR) throw std::bad_alloc();
  ok_ = result == Z_OK;
}

ZlibDeflater::~ZlibDeflater() {
  if (ok_) deflateEnd(&stream_);
}

void ZlibDeflater::OfferRoom(std::vector<uint8_t>& out, size_t room) {
  const size_t used = out.size();
  out.resize(used + room);
  stream_.next_out = out.data() + used;
  stream_.avail_out = static_cast<uInt>(room);
}

void ZlibDeflater::TakeBack(std::vector<uint8_t>& out) {
  out.resize(out.size() - stream_.avail_out);
}

bool ZlibDeflater::Fail() {
  ok_ = false;
  deflateEnd(&stream_);
  return false;
}

bool ZlibDeflater::Append(std::span<const uint8_t> input, bool finish, std::vector<uint8_t>& out) {
  if (!ok_) return false;
  if (!headerWritten_) {
    out.push_back(kHeaderCmf);
    out.push_back(HeaderFlg(level_));
    headerWritten_ = true;
  }
  if (!input.empty()) adler_ = libdeflate_adler32(adler_, input.data(), input.size());
  for (;;) {
    const size_t piece = std::min(input.size(), kMaxPieceBytes);
    const bool last = piece == input.size();
    const int flush = finish && last ? Z_FINISH : Z_NO_FLUSH;
    stream_.next_in = const_cast<Bytef*>(input.data());
    stream_.avail_in = static_cast<uInt>(piece);
    int result = Z_OK;
    do {
      // Room for what this piece can grow into, so one deflate call usually suffices (and
      // stored blocks never end for want of room).
      OfferRoom(out, std::max(kMinOutputGrowth,
                              static_cast<size_t>(deflateBound(&stream_, stream_.avail_in))));
      result = deflate(&stream_, flush);
      TakeBack(out);
      if (result == Z_STREAM_ERROR) return Fail();
    } while (stream_.avail_out == 0 || (flush == Z_FINISH && result != Z_STREAM_END));
    input = input.subspan(piece);
    if (last) break;
  }
  if (finish) {
    for (const int shift : {24, 16, 8, 0}) out.push_back(static_cast<uint8_t>(adler_ >> shift));
    deflateEnd(&stream_);
    ok_ = false;  // the stream is complete; nothing more may be appended
  }
  return true;
}

bool ZlibDeflater::SetLevel(int level, std::vector<uint8_t>& out) {
  if (!ok_) return false;
  if (level == level_) return true;
  stream_.next_in = nullptr;
  stream_.avail_in = 0;
  int result = Z_OK;
  do {
    // zlib ends the block of the old level first; Z_BUF_ERROR asks for more room to do so.
    // Bytes still pending inside zlib come out with the next Append.
    OfferRoom(out, kMinOutputGrowth);
    result = deflateParams(&stream_, level, Z_DEFAULT_STRATEGY);
    TakeBack(out);
  } while (result == Z_BUF_ERROR);
  if (result != Z_OK) return Fail();
  level_ = level;
  return true;
}

}  // namespace lumapress
