#include "protocol/PageUrl.h"

#include <algorithm>

namespace webaccess::protocol {

std::string BuildPageUrl(std::string_view base, std::string_view page, std::string_view action,
                         std::string_view extra) {
  std::string url;
  url.reserve(base.size() + page.size() + action.size() + extra.size() + 16);
  url += base;
  url += "Zq3/";
  url += page;
  url += ".asp?ACTION=";
  url += action;
  url += extra;
  return url;
}

std::string DownloadUrl(std::string_view base, std::string_view companyNumber,
                        std::string_view userId) {
  std::string url(base);
  url += "Zq3/_ffffs/";
  url += companyNumber;
  url += userId;
  url += ".TXT";
  return url;
}

namespace {

constexpr EscapeSet EscapeSetOf(bool (*mustEscape)(unsigned char byte)) {
  EscapeSet set{};
  for (unsigned byte = 0; byte < set.size(); ++byte) {
    set[byte] = mustEscape(static_cast<unsigned char>(byte));
  }
  return set;
}

constexpr EscapeSet kQueryValueEscapes = EscapeSetOf([](unsigned char byte) {
  return byte < 0x20 || byte > 0x7E || byte == '%' || byte == '&' || byte == '#' || byte == '+';
});

constexpr EscapeSet kUrlEscapes = EscapeSetOf([](unsigned char byte) {
  constexpr std::string_view kUnsafe = "\"<>\\^`{|}";
  return byte <= 0x20 || byte >= 0x7F ||
         kUnsafe.find(static_cast<char>(byte)) != std::string_view::npos;
});

}  // namespace

std::string PercentEncode(std::string_view text, const EscapeSet& mustEscape) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  const auto escaped = [&mustEscape](char c) { return mustEscape[static_cast<unsigned char>(c)]; };
  std::string out;
  out.reserve(text.size());
  // The bytes between two escaped ones go as they are, in one piece.
  for (auto from = text.begin();;) {
    const auto next = std::find_if(from, text.end(), escaped);
    out.append(from, next);
    if (next == text.end()) return out;
    const auto byte = static_cast<unsigned char>(*next);
    const char code[] = {'%', kHex[byte >> 4], kHex[byte & 0x0F]};
    out.append(code, sizeof code);
    from = next + 1;
  }
}

std::string EncodeQueryValue(std::string_view value) {
  return PercentEncode(value, kQueryValueEscapes);
}

std::string EscapeUrlBytes(std::string_view url) { return PercentEncode(url, kUrlEscapes); }

std::size_t WireLength(std::string_view url) {
  std::size_t length = url.size();
  for (const char c : url) {
    if (kUrlEscapes[static_cast<unsigned char>(c)]) length += 2;
  }
  return length;
}

std::string PageName(std::string_view url) {
  std::string_view path = url.substr(0, url.find_first_of("?#"));
  if (const std::size_t scheme = path.find("://"); scheme != std::string_view::npos) {
    path.remove_prefix(scheme + 3);
    const std::size_t slash = path.find('/');
    path = slash == std::string_view::npos ? std::string_view("/") : path.substr(slash);
  }
  std::string_view page = path.substr(path.rfind('/') + 1);
  page = page.substr(0, page.rfind('.'));
  return std::string(page.empty() ? path : page);
}

std::string DecodeSpaces(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  for (;;) {
    const std::size_t hit = text.find("%20", pos);
    if (hit == std::string_view::npos) break;
    out.append(text.substr(pos, hit - pos));
    out += ' ';
    pos = hit + 3;
  }
  out.append(text.substr(pos));
  return out;
}

}  // namespace webaccess::protocol
