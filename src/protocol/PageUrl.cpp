#include "protocol/PageUrl.h"

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

std::string PercentEncode(std::string_view text, bool (*mustEscape)(unsigned char byte)) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (mustEscape(byte)) {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 0x0F];
    } else {
      out += c;
    }
  }
  return out;
}

std::string EncodeQueryValue(std::string_view value) {
  return PercentEncode(value, [](unsigned char byte) {
    return byte < 0x20 || byte > 0x7E || byte == '%' || byte == '&' || byte == '#' || byte == '+';
  });
}

namespace {

bool MayNotStandInAUrl(unsigned char byte) {
  static constexpr std::string_view kUnsafe = "\"<>\\^`{|}";
  return byte <= 0x20 || byte >= 0x7F ||
         kUnsafe.find(static_cast<char>(byte)) != std::string_view::npos;
}

}  // namespace

std::string EscapeUrlBytes(std::string_view url) { return PercentEncode(url, MayNotStandInAUrl); }

std::size_t WireLength(std::string_view url) {
  std::size_t length = url.size();
  for (const char c : url) {
    if (MayNotStandInAUrl(static_cast<unsigned char>(c))) length += 2;
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
