#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace webaccess::protocol {

// The page names the server knows.
inline constexpr const char* kPageBegin = "V7Begin";
inline constexpr const char* kPageMain = "V7Main";
inline constexpr const char* kPageCount = "V7Count";
inline constexpr const char* kPageDelete = "V7Delete";
inline constexpr const char* kPageMessage = "V7Message";

// base + "Zq3/" + page + ".asp?ACTION=" + action + extra, joined as they are.
std::string BuildPageUrl(std::string_view base, std::string_view page, std::string_view action,
                         std::string_view extra);

// The URL of the response file prepared for the customer and user: the
// fields at their full widths, blanks included.
std::string DownloadUrl(std::string_view base, std::string_view companyNumber,
                        std::string_view userId);

// The bytes that PercentEncode escapes: entry b is true when byte b is.
using EscapeSet = std::array<bool, 256>;

// The text with every byte of `mustEscape` written as %XX (upper-case hex),
// byte for byte; every other byte as it is.
std::string PercentEncode(std::string_view text, const EscapeSet& mustEscape);

// A value placed in a query: every byte that would change the request ("%",
// "&", "#", "+", control bytes and bytes above 0x7E) becomes %XX; blanks and
// everything else go as they are.
std::string EncodeQueryValue(std::string_view value);

// The URL as it goes on the wire: every byte that may not stand in a URL
// (blanks, control bytes, bytes above 0x7E, and " < > \ ^ ` { | }) escaped
// as %XX; everything else, "%" included, as it is.
std::string EscapeUrlBytes(std::string_view url);

// The size of EscapeUrlBytes(url), without making it.
std::size_t WireLength(std::string_view url);

// The longest request URL the client sends, counted as it goes on the wire
// (EscapeUrlBytes). The HTTP library refuses a request of one MiB or more,
// headers included, and servers refuse addresses far shorter; the client
// does not try a longer one.
inline constexpr std::size_t kLongestUrl = 1'000'000;

// The page a URL names: the last segment of its path without its extension
// ("V7Main" for ".../Zq3/V7Main.asp?ACTION=REQ"); the whole path when it has
// no segment.
std::string PageName(std::string_view url);

// Every "%20" becomes one blank, scanning left to right without overlap.
std::string DecodeSpaces(std::string_view text);

}  // namespace webaccess::protocol
