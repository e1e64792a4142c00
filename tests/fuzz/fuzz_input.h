// What every fuzz target shares: the input bytes read as UTF-16LE code units (so a
// corpus means the same with a 16-bit or a 32-bit wchar_t) and a check that stops the
// run, with the failed property named, when a rule does not hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace kavolt::fuzz {

inline std::wstring WideFromBytes(const uint8_t* data, size_t size) {
  std::wstring text;
  text.reserve(size / 2);
  for (size_t i = 0; i + 1 < size; i += 2)
    text += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
  return text;
}

[[noreturn]] inline void PropertyFailed(const char* property, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: property does not hold: %s\n", file, line, property);
  std::abort();
}

}  // namespace kavolt::fuzz

#define KAVOLT_CHECK(property) \
  ((property) ? static_cast<void>(0) : ::kavolt::fuzz::PropertyFailed(#property, __FILE__, __LINE__))
