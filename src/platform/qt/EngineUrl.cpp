#include "platform/qt/EngineUrl.h"

namespace webaccess::platform {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The character of the escape at `at` ("%XX"), or -1 when there is none.
int EscapedChar(std::string_view text, std::size_t at) {
  if (at + 2 >= text.size() || text[at] != '%') return -1;
  const int high = HexValue(text[at + 1]);
  const int low = HexValue(text[at + 2]);
  if (high < 0 || low < 0) return -1;
  return high * 16 + low;
}

// Characters the toolkit's URL type escapes on top of the browser.
bool ToolkitEscapes(int c) {
  return c == '|' || c == '`' || c == '{' || c == '}' || c == '^' || c == '\\';
}

// Every character that comes back escaped although the server may write it raw.
bool EngineEscapes(int c) {
  return ToolkitEscapes(c) || c == '"' || c == '\'' || c == '<' || c == '>';
}

// True when the toolkit escaped every "%": some %25 is followed by something
// other than two hex digits, which only a lone "%" leaves behind.
bool EveryPercentEscaped(std::string_view text) {
  for (std::size_t at = text.find("%25"); at != std::string_view::npos;
       at = text.find("%25", at + 1)) {
    if (HexValue(at + 3 < text.size() ? text[at + 3] : '\0') < 0 ||
        HexValue(at + 4 < text.size() ? text[at + 4] : '\0') < 0) {
      return true;
    }
  }
  return false;
}

// Decodes the escapes of the characters `decode` selects; everything else,
// other escapes included, is copied as it is.
template <typename Select>
std::string DecodeEscapes(std::string_view text, Select decode) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    const int c = EscapedChar(text, at);
    if (c >= 0 && decode(c)) {
      out += static_cast<char>(c);
      at += 3;
    } else {
      out += text[at];
      ++at;
    }
  }
  return out;
}

}  // namespace

std::string ServerWrittenUrl(std::string_view engineUrl) {
  if (EveryPercentEscaped(engineUrl)) {
    const std::string browserUrl =
        DecodeEscapes(engineUrl, [](int c) { return c == '%' || ToolkitEscapes(c); });
    return DecodeEscapes(browserUrl, EngineEscapes);
  }
  return DecodeEscapes(engineUrl, EngineEscapes);
}

}  // namespace webaccess::platform
