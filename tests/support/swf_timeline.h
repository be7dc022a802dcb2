#pragma once

// The main timeline of a movie as a player shows it, frame by frame, for tests: the display
// list after each ShowFrame, played from the test-only SWF reader's tags.

#include <cstdint>
#include <map>
#include <vector>

#include "support/swf_reader.h"

namespace lumapress::test {

// One character on the display list.
struct DisplayedCharacter {
  uint16_t characterId = 0;
  int32_t translateX = 0;  // twips
  int32_t translateY = 0;
  int32_t alphaMult = 256;  // the colour transform's alpha multiply term, 8.8
  SwfColorTransform colorTransform;

  bool operator==(const DisplayedCharacter& other) const {
    return characterId == other.characterId && translateX == other.translateX &&
           translateY == other.translateY && alphaMult == other.alphaMult;
  }
};

struct SwfFrame {
  std::map<uint16_t, DisplayedCharacter> depths;  // by depth
  bool stops = false;  // a DoAction of this frame holds ActionStop
};

// Plays the display-list tags of the main timeline. Strict where players differ or give up:
// placing a character that is not defined yet, placing on an occupied depth, moving or
// removing an empty one, and a matrix other than a translation throw SwfFormatError.
std::vector<SwfFrame> PlayTimeline(const SwfMovie& movie);

}  // namespace lumapress::test
