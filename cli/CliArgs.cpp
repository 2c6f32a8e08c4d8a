#include <algorithm>

#include "cli/CliCommand.h"

namespace moriva {
namespace {

bool IsOption(const std::string& arg) {
  return arg.size() > 2 && arg.compare(0, 2, "--") == 0;
}

}  // namespace

bool TCliArgs::Flag(std::string_view name) {
  auto it = std::find_if(args_.begin(), args_.end(),
                         [&](const std::string& a) { return IsOption(a) && a.substr(2) == name; });
  if (it == args_.end()) return false;
  args_.erase(it);
  return true;
}

std::optional<std::string> TCliArgs::Option(std::string_view name) {
  for (auto it = args_.begin(); it != args_.end(); ++it) {
    if (!IsOption(*it)) continue;
    std::string_view a = std::string_view(*it).substr(2);
    if (a.size() > name.size() && a.substr(0, name.size()) == name && a[name.size()] == '=') {
      std::string value(a.substr(name.size() + 1));
      args_.erase(it);
      return value;
    }
    if (a == name) {
      if (it + 1 == args_.end()) throw EUsageError("--" + std::string(name) + " needs a value");
      std::string value = *(it + 1);
      args_.erase(it, it + 2);
      return value;
    }
  }
  return std::nullopt;
}

std::vector<std::string> TCliArgs::Positional(size_t min, size_t max) {
  for (const std::string& a : args_)
    if (IsOption(a)) throw EUsageError("unknown option " + a);
  if (args_.size() < min) throw EUsageError("missing arguments");
  if (args_.size() > max) throw EUsageError("too many arguments");
  return args_;
}

}  // namespace moriva
