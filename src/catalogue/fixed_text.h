// Compile-time joining of UTF-16 literals, so that texts built from other
// constants (class-id key paths, the algorithm list) stay constant data and
// can be checked with static_assert.
#pragma once
#include <array>
#include <cstddef>
#include <string>

// Length of a zero-terminated UTF-16 text, usable in constant expressions.
constexpr std::size_t TextLength(const char16_t* text) {
  return std::char_traits<char16_t>::length(text);
}

// a followed by b as one zero-terminated array (both arguments are literals
// or arrays with their terminator).
template <std::size_t A, std::size_t B>
constexpr std::array<char16_t, A + B - 1> JoinText(const char16_t (&a)[A], const char16_t (&b)[B]) {
  std::array<char16_t, A + B - 1> joined{};
  for (std::size_t i = 0; i + 1 < A; ++i) joined[i] = a[i];
  for (std::size_t i = 0; i < B; ++i) joined[A - 1 + i] = b[i];
  return joined;
}
