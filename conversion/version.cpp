#include "lumapress/version.h"

namespace lumapress {

const char* Version() { return LUMAPRESS_VERSION_STRING; }

}  // namespace lumapress
