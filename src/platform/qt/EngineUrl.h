#pragma once

#include <string>
#include <string_view>

namespace webaccess::platform {

// Turns the URL the web engine reports for a page back into the URL as the
// server wrote it in its redirect.
//
// The engine never hands the server's text over as it came. Two layers
// rewrite it:
//   1. The browser canonicalises the URL: a blank and the characters
//      " ' < > become %20 %22 %27 %3C %3E (in the path also ` { | }), and
//      escapes the server wrote stay as they were.
//   2. The toolkit's URL type then escapes | ` { } ^ \ as well and writes
//      every escape's hex digits in upper case. When the text holds a lone
//      "%" (one not followed by two hex digits), it escapes every "%" of the
//      URL as %25 first.
//
// So the rule, in two steps:
//   a. If the text holds a %25 that is not followed by two hex digits, a lone
//      "%" was there and the toolkit escaped every "%": each %25 becomes "%"
//      again and the toolkit's own escapes (| ` { } ^ \) become the
//      characters, which gives back the browser's URL exactly.
//   b. In the browser's URL (or the text, when step a did not apply) the
//      escapes of the ten characters " ' < > \ ^ ` { | } are decoded,
//      whoever wrote them.
// Every other escape is kept as it came, %20 in particular: the server writes
// its blanks as %20, a raw blank reads back as %20 too, and the reply
// dispatcher turns %20 into blanks itself. Non-ASCII bytes and control bytes
// stay escaped.
//
// What cannot be told apart is left on the server's side of the rule: an
// escape of one of the ten characters that the server wrote itself reads back
// as the character, an escaped percent sign that the server wrote before
// something other than two hex digits reads back as a lone "%", and hex
// digits come back in upper case. The server's replies write < > | raw and
// only blanks escaped, so none of this touches them. The browser also writes
// the scheme and host in lower case, drops a default port and a tab or line
// end, which the dispatcher does not look at.
std::string ServerWrittenUrl(std::string_view engineUrl);

}  // namespace webaccess::platform
