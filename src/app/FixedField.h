#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace webaccess::app {

// A text field of exactly N characters. Storing keeps the first N characters
// and fills the rest with blanks; a field never stored holds N NUL characters.
template <std::size_t N>
class FixedField {
 public:
  FixedField() { chars_.fill('\0'); }

  void Store(std::string_view value) {
    std::array<char, N> stored;
    stored.fill(' ');
    value.copy(stored.data(), value.size() < N ? value.size() : N);
    chars_ = stored;  // the value may be a view of this very field
  }

  // All N characters, trailing blanks included.
  std::string Value() const { return std::string(chars_.data(), N); }
  std::string_view View() const { return std::string_view(chars_.data(), N); }
  char At(std::size_t index) const { return chars_[index]; }

 private:
  std::array<char, N> chars_;
};

}  // namespace webaccess::app
