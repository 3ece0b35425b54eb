// Makes control bytes visible in failure messages: "\r\n" as "<CR><LF>"
// and a line break, other control bytes as "<n>".
#pragma once

#include <string>
#include <string_view>

namespace testio {

inline std::string show(std::string_view bytes) {
  std::string s;
  for (unsigned char c : bytes) {
    if (c == '\r') s += "<CR>";
    else if (c == '\n') s += "<LF>\n";
    else if (c == '\f') s += "<FF>";
    else if (c < 32 || c == 127) s += "<" + std::to_string(c) + ">";
    else s += static_cast<char>(c);
  }
  return s;
}

}  // namespace testio
