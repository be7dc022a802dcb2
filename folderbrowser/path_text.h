#pragma once

#include <wx/string.h>

#include <string>

namespace lumapress {

// Paths are byte strings handed to the system unchanged; wx shows them in the file-name
// encoding.
inline wxString PathToText(const std::string& path) { return wxString(path.c_str(), *wxConvFileName); }
inline std::string TextToPath(const wxString& text) {
  const wxCharBuffer bytes = text.mb_str(*wxConvFileName);
  return bytes.data() != nullptr ? std::string(bytes.data()) : std::string();
}

}  // namespace lumapress
