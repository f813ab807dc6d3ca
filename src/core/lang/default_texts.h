#pragma once

#include <span>
#include <string_view>

namespace konfex {

struct DefaultText {
  int index;
  std::string_view text;
};

// The English defaults in index order; every other index of the text table holds a single blank.
std::span<const DefaultText> defaultTexts();

}  // namespace konfex
