#include <windows.h>

#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "batch/ProcessCommandLine.h"

namespace webaccess::batch {
namespace {

template <typename Char>
std::basic_string<Char> InLine(const std::string& word);

template <>
std::string InLine<char>(const std::string& word) {
  return word;
}

template <>
std::wstring InLine<wchar_t>(const std::string& word) {
  const int size =
      MultiByteToWideChar(CP_ACP, 0, word.data(), static_cast<int>(word.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, word.data(), static_cast<int>(word.size()), wide.data(), size);
  return wide;
}

// Finds the words in the command line in their order, after the program's
// name, and copies in what changed in each. A word the line does not hold
// as written (one with quotes inside it) stays as it is.
template <typename Char>
void Overwrite(Char* line, const std::vector<std::string>& given,
               const std::vector<std::string>& hidden) {
  if (line == nullptr) return;
  std::basic_string_view<Char> text(line);
  std::size_t from = 0;
  if (!text.empty() && text[0] == Char('"')) {
    from = std::min(text.find(Char('"'), 1), text.size());
  } else {
    from = std::min(text.find(Char(' ')), text.size());
  }
  for (std::size_t i = 0; i < given.size(); ++i) {
    const std::basic_string<Char> before = InLine<Char>(given[i]);
    const std::basic_string<Char> after = InLine<Char>(hidden[i]);
    const std::size_t at = text.find(before, from);
    if (before.empty() || at == std::basic_string_view<Char>::npos ||
        after.size() != before.size()) {
      continue;
    }
    for (std::size_t c = 0; c < after.size(); ++c) line[at + c] = after[c];
    from = at + after.size();
  }
}

}  // namespace

void HidePasswordsFromOtherProcesses(std::span<char* const> words) {
  const std::vector<std::string> given(words.begin(), words.end());
  app::HidePasswords(words);
  const std::vector<std::string> hidden(words.begin(), words.end());
  Overwrite(GetCommandLineW(), given, hidden);
  Overwrite(GetCommandLineA(), given, hidden);
}

}  // namespace webaccess::batch
