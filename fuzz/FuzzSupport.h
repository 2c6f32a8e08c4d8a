#pragma once
// Shared by the fuzz targets: a check that stops the run with a message (libFuzzer then keeps
// the input as a crash), and small helpers for carving fuzz bytes into texts.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#define FUZZ_CHECK(cond)                                                            \
  do {                                                                              \
    if (!(cond)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
      std::abort();                                                                 \
    }                                                                               \
  } while (0)

namespace moriva::fuzz {

inline std::string_view AsText(const uint8_t* data, size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// Splits at every NUL byte: one input gives several texts (fields, files, ...).
inline std::vector<std::string_view> SplitAtNul(std::string_view text) {
  std::vector<std::string_view> parts;
  for (;;) {
    size_t p = text.find('\0');
    parts.push_back(text.substr(0, p));
    if (p == std::string_view::npos) return parts;
    text.remove_prefix(p + 1);
  }
}

}  // namespace moriva::fuzz
