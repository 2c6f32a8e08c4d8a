#include "base/ProgramFolders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace moriva {
namespace fs = std::filesystem;

namespace {

std::optional<fs::path> AbsoluteVariable(const TEnvironment& env, std::string_view name) {
  std::optional<std::string> value = env(name);
  if (!value || value->empty() || value->front() != '/') return std::nullopt;
  return fs::path(*value);
}

fs::path XdgFolder(const TEnvironment& env, std::string_view variable, const fs::path& fallback,
                   const fs::path& programDir) {
  if (std::optional<fs::path> base = AbsoluteVariable(env, variable)) return *base / "moriva";
  if (std::optional<fs::path> home = AbsoluteVariable(env, "HOME"))
    return *home / fallback / "moriva";
  return programDir;
}

}  // namespace

TEnvironment SystemEnvironment() {
  return [](std::string_view name) -> std::optional<std::string> {
    const std::string key(name);
    if (const char* value = std::getenv(key.c_str())) return std::string(value);
    if (key != "HOME") return std::nullopt;
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found ||
        !found->pw_dir)
      return std::nullopt;
    return std::string(found->pw_dir);
  };
}

bool IsInstalledProgramFolder(const fs::path& programDir) {
  if (access(programDir.c_str(), W_OK) != 0) return true;
  std::error_code ec;
  const fs::path dir = programDir.has_filename() ? programDir : programDir.parent_path();
  return dir.filename() == "bin" &&
         fs::exists(dir.parent_path() / "share" / "applications" / "moriva.desktop", ec);
}

TProgramFolders ChooseProgramFolders(const fs::path& programDir, bool installed,
                                     const TEnvironment& env) {
  if (!installed) return TProgramFolders(programDir);
  return TProgramFolders(XdgFolder(env, "XDG_CONFIG_HOME", ".config", programDir),
                         XdgFolder(env, "XDG_DATA_HOME", fs::path(".local") / "share", programDir));
}

void MakeProgramFolder(const fs::path& folder) {
  // Each missing folder on the way, outermost first, is made the owner's alone; folders that
  // exist already keep what the user gave them.
  std::vector<fs::path> missing;
  std::error_code ec;
  for (fs::path p = folder; !p.empty() && !fs::exists(p, ec); p = p.parent_path()) {
    missing.push_back(p);
    if (p == p.parent_path()) break;
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it)
    if (mkdir(it->c_str(), 0700) == 0) chmod(it->c_str(), 0700);
}

}  // namespace moriva
