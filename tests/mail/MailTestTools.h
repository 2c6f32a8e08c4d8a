#pragma once
// Helpers shared by the attachment and message tests.
#include <exception>
#include <functional>
#include <random>
#include <string>

#include "tests/oracle/OracleTool.h"

namespace moriva::mailtest {

// A private folder (mkdtemp), removed with its files at the end of the scope.
using moriva::oracle::TempDir;

// Reproducible bytes of every value.
inline std::string RandomBytes(size_t n, unsigned seed = 1) {
  std::mt19937 gen(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(gen() & 0xFF);
  return s;
}

// The text of the exception `f` throws, or "" when it throws none.
inline std::string ErrorText(const std::function<void()>& f) {
  try {
    f();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "";
}

}  // namespace moriva::mailtest
