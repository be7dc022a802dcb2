#include "swf/swf_codes.h"
#include "swf/swf_writer.h"

namespace lumapress {

int32_t SwfWriter::DefineLoaderSprite(std::string_view url) {
  if (url.size() > kMaxLoaderUrlBytes) return -1;
  const int32_t spriteId = NewCharacterId();
  BeginTag(kTagDefineSprite);
  WriteU16(spriteId);  // SpriteId
  WriteU16(1);         // FrameCount
  BeginTag(kTagDoAction);
  WriteByte(kActionPush);
  WriteU16(static_cast<int32_t>(url.size() + 8));  // Length: both values with type and terminator
  WriteStringValue(url);     // the control file's path
  WriteStringValue("this");  // the target: this sprite
  WriteByte(kActionGetVariable);
  WriteByte(kActionGetUrl2);
  WriteU16(1);  // Length
  WriteByte(kGetUrl2LoadMovieIntoTarget);
  WriteByte(kActionEndFlag);
  EndTag();
  // The sprite's own frame: not counted in the movie's frame count.
  WriteU16(TagHeaderWord(kTagShowFrame, 0));
  WriteU16(TagHeaderWord(kTagEnd, 0));
  EndTag();
  return spriteId;
}

}  // namespace lumapress
