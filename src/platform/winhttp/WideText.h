#pragma once

#include <string>
#include <string_view>

namespace webaccess::platform {

// WinHTTP's strings are wide. URLs on the wire are ASCII (the callers escape
// every other byte), and WinHTTP hands header bytes over one to a character:
// each byte is one character, and back.
inline std::wstring Widen(std::string_view text) { return std::wstring(text.begin(), text.end()); }

// A character above 255, which no byte gave, becomes '?'. A null text is empty.
inline std::string Narrow(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (const wchar_t c : text) out += c < 256 ? static_cast<char>(c) : '?';
  return out;
}
inline std::string Narrow(const wchar_t* text) {
  return text != nullptr ? Narrow(std::wstring_view(text)) : std::string();
}

}  // namespace webaccess::platform
