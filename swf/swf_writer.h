#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "swf/swf_bit_stream.h"

namespace lumapress {

struct BitmapTag;  // swf/bitmap_tags.h

// A CXFORMWITHALPHA: each channel is multiplied by its term (8.8 fixed point, 256 = 1.0), then
// its add term is added. The identity leaves a character as it is.
struct ColorTransform {
  static constexpr int32_t kOne = 256;
  int32_t redMult = kOne, greenMult = kOne, blueMult = kOne, alphaMult = kOne;
  int32_t redAdd = 0, greenAdd = 0, blueAdd = 0, alphaAdd = 0;

  // The character drawn at `alphaMult` / 256 of its opacity, colours unchanged.
  static ColorTransform Alpha(int32_t alphaMult) {
    ColorTransform transform;
    transform.alphaMult = alphaMult;
    return transform;
  }
};

// What one PlaceObject2 states. A new placement (not `move`) puts `characterId` on an empty
// depth; a move changes the character already there, and what it leaves out stays as it was.
struct PlaceObject2Fields {
  int32_t depth = 1;
  bool move = false;         // PlaceFlagMove
  int32_t characterId = 0;   // PlaceFlagHasCharacter when above 0
  bool hasMatrix = false;    // PlaceFlagHasMatrix: a translation by (translateX, translateY)
  int32_t translateX = 0;    // twips
  int32_t translateY = 0;
  bool hasColorTransform = false;  // PlaceFlagHasColorTransform
  ColorTransform colorTransform;
};

// Writes one uncompressed SWF movie ("FWS"): the header, tags in short and long form with their
// lengths patched afterwards, and the geometry, display-list, action and sprite tags a slide show
// needs. One writer per movie: construct, OpenMovie, write tags, Finish.
class SwfWriter : public SwfBitStream {
 public:
  // Frame rates are stored as whole frames in an 8.8 field; faster rates are written as this.
  static constexpr int32_t kMaxFrameRate = 255;
  // The header's FrameCount is a UI16; longer movies (every ShowFrame is still written) say
  // this rather than a wrapped-around count, and Finish fails for them.
  static constexpr int32_t kMaxHeaderFrameCount = 65535;
  // Character ids run 1..65535 (UI16), then continue at 1000.
  static constexpr int32_t kLastCharacterId = 65535;
  static constexpr int32_t kCharacterIdAfterWrap = 1000;
  // The longest control-file path: ActionPush's UI16 length also counts 8 bytes of framing.
  static constexpr size_t kMaxLoaderUrlBytes = 65535 - 8;
  // The longest pushed string: the UI16 length also counts the type byte and the terminator.
  static constexpr size_t kMaxPushStringBytes = 65535 - 2;

  // Stage size in pixels, whole frames per second, SWF version byte. Does no I/O.
  SwfWriter(int32_t width, int32_t height, int32_t frameRate, int32_t version);

  // --- Movie file, header and tag framing ---

  // Creates the file and writes the header. False when the file cannot be created.
  bool OpenMovie(const std::string& path);
  // Creates the file and writes the movie straight into its compressed form ("CWS", the body
  // one zlib stream at level 9 in which precompressed bitmap data is stored, not deflated
  // again; see DeflatingMovieFile). The header's FrameCount is compressed first, so the
  // movie's `frameCount` is stated here; Finish fails when the movie ends with another count.
  bool OpenCompressedMovie(const std::string& path, int32_t frameCount);
  // Writes the header with placeholders for the file length and frame count; restarts the ids.
  void WriteHeader();
  // The next character id, shared by bitmaps, shapes and sprites.
  int32_t NewCharacterId();
  // Long-form tag: UI16 (code << 6 | 0x3F), UI32 length patched by EndTag. Nests.
  void BeginTag(int32_t code);
  void EndTag();
  // Short-form tag whose 6-bit length is patched by EndShortTag; one at a time. A body of 63
  // bytes or more is moved 4 bytes on and framed in the long form instead.
  void BeginShortTag(int32_t code);
  void EndShortTag();
  // Writes the End tag, patches the file length and frame count (a compressed movie checks
  // it), and closes the file.
  // Returns the file length, or -1 when anything failed since OpenMovie or the header cannot
  // state the movie (more than kMaxHeaderFrameCount frames, or 2 GiB or more).
  int32_t Finish();

  int32_t FrameCount() const { return frameCount_; }

  // --- Geometry records ---

  // floor(v + 0.5), saturated to the 32-bit range.
  static int32_t RoundHalfUp(double v);
  // Bits of a signed field holding v: 1 for 0, else the bit length of |v| plus 1.
  static int SignedBitCount(int32_t v);
  // RECT from pixels (converted to twips); aligns at its end.
  void WriteRect(double xmin, double ymin, double xmax, double ymax);
  // The three parts of a MATRIX, in this order, then AlignToByte. Scale and skew are factors
  // (16.16 in the file), translation is in twips.
  void WriteMatrixScale(double sx, double sy);
  void WriteMatrixRotate(double r0, double r1);
  void WriteMatrixTranslate(double x, double y);
  // Straight edge by (dx, dy) twips; nothing for a zero edge; several records of the same
  // direction when one record's 17-bit deltas cannot hold it.
  void WriteStraightEdge(double dx, double dy);
  // CXFORMWITHALPHA: the multiply terms unless all are 1.0, the add terms unless all are 0,
  // each clamped to what a 15-bit field holds; aligns at its end.
  void WriteColorTransformWithAlpha(const ColorTransform& transform);

  // --- Display-list and action tags ---

  void SetBackgroundColor(int32_t red, int32_t green, int32_t blue);
  // PlaceObject with an identity matrix.
  void PlaceObject(int32_t characterId, int32_t depth);
  // PlaceObject whose matrix moves the character by (x, y) twips; the identity's 7 bytes when
  // both are 0.
  void PlaceObject(int32_t characterId, int32_t depth, int32_t x, int32_t y);
  // PlaceObject2 with the fields given.
  void PlaceObject2(const PlaceObject2Fields& fields);
  // RemoveObject2.
  void RemoveDepth(int32_t depth);
  void ShowFrame();
  // DefineShape: a width x height pixel rectangle filled with bitmap `bitmapId`, one bitmap
  // pixel per 20 twips. Returns the shape's id.
  int32_t DefineBitmapShape(int32_t width, int32_t height, int32_t bitmapId);
  // DefineShape covering the whole stage (stageWidth x stageHeight pixels): bitmap `bitmapId`
  // in its rectangle of width x height pixels at (x, y), one bitmap pixel per 20 twips, and
  // the rest of the stage in the solid colour `rgb` (0xRRGGBB). The two regions share their
  // edges and never overlap, so under a colour transform with alpha the shape blends like one
  // opaque picture of the stage's size. Returns the shape's id.
  int32_t DefineStageBitmapShape(int32_t stageWidth, int32_t stageHeight, int32_t x, int32_t y,
                                 int32_t width, int32_t height, int32_t bitmapId, uint32_t rgb);
  void BeginDoAction();
  // One ActionPush of one string, bytes as given. False (nothing written) when longer than
  // kMaxPushStringBytes.
  bool ActionPushString(std::string_view text);
  void ActionSetVariable();
  // ActionStop: the timeline stays on the current frame.
  void ActionStop();
  void EndDoAction();

  // --- Control-file loader sprite ---

  // DefineSprite whose one frame loads the movie at `url` into the sprite. Returns its id, or
  // -1 with nothing written when `url` is longer than kMaxLoaderUrlBytes.
  int32_t DefineLoaderSprite(std::string_view url);

  // --- Bitmap definition tags ---

  // Writes `tag` (built by swf/bitmap_tags.h) as a long-form tag with `characterId`; a
  // compressed movie stores the tag's precompressed spans as they are.
  void DefineBitmap(int32_t characterId, const BitmapTag& tag);
  // DefineBitsLossless (at the default LosslessLevel) and DefineBitsLossless2 (at libdeflate
  // `level`: 0 stores, up to 12), compressed as AppendBitmapData compresses. `data` is the
  // bitmap in the SWF layout of `format` (3: 256-entry colour table then index rows; 5: 4 bytes
  // per pixel). The colour count byte is written for format 3 only. False, with nothing
  // written, when the compressor refuses the data.
  bool DefineBitsLossless(int32_t characterId, int32_t width, int32_t height, int32_t format,
                          int32_t colorCount, std::span<const uint8_t> data);
  bool DefineBitsLossless2(int32_t characterId, int32_t width, int32_t height, int32_t format,
                           int32_t colorCount, std::span<const uint8_t> data, int level);
  // DefineBitsJPEG2 and DefineBitsJPEG3 around a complete JPEG stream; JPEG3 adds the alpha
  // plane (one byte per pixel) compressed by AppendAlphaPlane at libdeflate `level`.
  void DefineBitsJPEG2(int32_t characterId, std::span<const uint8_t> jpeg);
  bool DefineBitsJPEG3(int32_t characterId, std::span<const uint8_t> jpeg,
                       std::span<const uint8_t> alpha, int level);

 private:
  // RECT from twips: Nbits from the four values, which are clamped to what 31 bits hold.
  void WriteTwipsRect(int64_t xMin, int64_t xMax, int64_t yMin, int64_t yMax);
  // Two values of a MATRIX part and their common field width.
  struct FieldPair {
    int bits;
    int32_t first;
    int32_t second;
  };
  // Compressed movies: the bytes written so far are final when no tag is open.
  void SettleClosedTags();
  // Sizes a MATRIX part; beyond 31 bits prints the overflow message and shifts both values
  // right until they fit.
  FieldPair FitMatrixPair(int32_t first, int32_t second, const char* overflowFormat, double x,
                          double y);
  // NBits (5 bits), then both values.
  void WriteFieldPair(const FieldPair& pair);
  // One straight-edge record of deltas that fit 17 bits.
  void WriteEdgeRecord(int32_t dx, int32_t dy);
  // An ActionPush string value: type byte, bytes, terminator.
  void WriteStringValue(std::string_view text);

  int32_t lastCharacterId_ = 0;
  std::vector<int64_t> openTagStack_;  // offset just after each open long tag's length field
  uint8_t version_;
  int64_t frameRect_[4];  // Xmin, Xmax, Ymin, Ymax in twips
  int32_t frameRate_;
  int32_t frameCount_ = 0;
  int32_t statedFrameCount_ = -1;  // compressed movies: the count OpenCompressedMovie stated
  int64_t frameCountOffset_ = 0;
  int64_t shortTagBodyStart_ = -1;  // -1 when no short tag is open
  int32_t shortTagCode_ = 0;
};

}  // namespace lumapress
