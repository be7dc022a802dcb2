#include "support/swf_timeline.h"

#include <set>
#include <string>

namespace lumapress::test {
namespace {

constexpr uint16_t kCodeShowFrame = 1;
constexpr uint16_t kCodePlaceObject = 4;
constexpr uint16_t kCodeDoAction = 12;
constexpr uint16_t kCodePlaceObject2 = 26;
constexpr uint16_t kCodeRemoveObject2 = 28;
constexpr uint8_t kActionStop = 0x07;
// Tags that define a character with the UI16 id at the start of their body.
const std::set<uint16_t> kDefinitionCodes = {2, 6, 20, 21, 22, 32, 35, 36, 39, 46, 83};

[[noreturn]] void Fail(const std::string& what) { throw SwfFormatError(what); }

void Apply(const SwfPlacement& placement, std::map<uint16_t, DisplayedCharacter>& depths,
           const std::set<uint16_t>& defined) {
  if (placement.hasMatrix && (placement.matrix.hasScale || placement.matrix.hasRotate)) {
    Fail("a placement matrix other than a translation");
  }
  const auto at = depths.find(placement.depth);
  DisplayedCharacter shown;
  if (placement.move) {
    if (at == depths.end()) Fail("move on the empty depth " + std::to_string(placement.depth));
    shown = at->second;
  } else if (at != depths.end()) {
    Fail("placement on the occupied depth " + std::to_string(placement.depth));
  }
  if (placement.hasCharacter) {
    if (defined.count(placement.characterId) == 0) {
      Fail("placement of the undefined character " + std::to_string(placement.characterId));
    }
    shown.characterId = placement.characterId;
  } else if (!placement.move) {
    Fail("new placement without a character");
  }
  if (placement.hasMatrix) {
    shown.translateX = placement.matrix.translateX;
    shown.translateY = placement.matrix.translateY;
  }
  if (placement.hasColorTransform) {
    shown.colorTransform = placement.colorTransform;
    shown.alphaMult = placement.colorTransform.mult[3];
  }
  depths[placement.depth] = shown;
}

}  // namespace

std::vector<SwfFrame> PlayTimeline(const SwfMovie& movie) {
  std::vector<SwfFrame> frames;
  std::set<uint16_t> defined;
  SwfFrame current;
  for (const SwfTag& tag : movie.tags) {
    if (kDefinitionCodes.count(tag.code) != 0) {
      if (tag.body.size() < 2) Fail("definition tag without an id");
      defined.insert(static_cast<uint16_t>(tag.body[0] | tag.body[1] << 8));
    } else if (tag.code == kCodePlaceObject || tag.code == kCodePlaceObject2) {
      Apply(ParsePlacement(tag), current.depths, defined);
    } else if (tag.code == kCodeRemoveObject2) {
      if (tag.body.size() != 2) Fail("RemoveObject2 body is not 2 bytes");
      const auto depth = static_cast<uint16_t>(tag.body[0] | tag.body[1] << 8);
      if (current.depths.erase(depth) == 0) Fail("RemoveObject2 of the empty depth " + std::to_string(depth));
    } else if (tag.code == kCodeDoAction) {
      for (const SwfAction& action : ParseDoAction(tag.body).actions) {
        if (action.code == kActionStop) current.stops = true;
      }
    } else if (tag.code == kCodeShowFrame) {
      frames.push_back(current);
      current.stops = false;
    }
  }
  return frames;
}

}  // namespace lumapress::test
