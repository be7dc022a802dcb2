#include <span>

#include "swf/swf_codes.h"
#include "swf/swf_writer.h"

namespace lumapress {

void SwfWriter::BeginDoAction() { BeginTag(kTagDoAction); }

bool SwfWriter::ActionPushString(std::string_view text) {
  if (text.size() > kMaxPushStringBytes) return false;
  WriteByte(kActionPush);
  WriteU16(static_cast<int32_t>(text.size() + 2));  // Length: type byte, string, terminator
  WriteStringValue(text);
  return true;
}

void SwfWriter::ActionSetVariable() { WriteByte(kActionSetVariable); }

void SwfWriter::ActionStop() { WriteByte(kActionStop); }

void SwfWriter::EndDoAction() {
  WriteByte(kActionEndFlag);
  EndTag();
}

void SwfWriter::WriteStringValue(std::string_view text) {
  WriteByte(kPushTypeString);  // Type
  WriteBytes(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));  // String
  WriteByte(0);  // String terminator
}

}  // namespace lumapress
