#pragma once
// Where the program keeps its own files. A copy whose folder the user may write (the build
// tree, a portable copy on a stick) keeps everything beside the program, as it always did. An
// installed copy cannot write there, so it follows the desktop's conventions instead: the
// settings "hs110.ini" in $XDG_CONFIG_HOME/moriva/ (by default ~/.config/moriva/), and what the
// program gathers itself ("uidl.ini", "caldav.ini", "outgoing", "incoming") in
// $XDG_DATA_HOME/moriva/ (by default ~/.local/share/moriva/).
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace moriva {

struct TProgramFolders {
  TProgramFolders() = default;
  // Both kinds of file in one folder: beside the program, or a folder named by the user.
  TProgramFolders(std::filesystem::path both) : Config(both), Data(std::move(both)) {}
  TProgramFolders(std::filesystem::path config, std::filesystem::path data)
      : Config(std::move(config)), Data(std::move(data)) {}

  std::filesystem::path Config;  // "hs110.ini"
  std::filesystem::path Data;    // "uidl.ini", "caldav.ini", "outgoing", "incoming"

  bool operator==(const TProgramFolders&) const = default;
};

// One environment variable, or nullopt when it is not set.
using TEnvironment = std::function<std::optional<std::string>(std::string_view name)>;

// The process's own environment; HOME falls back to the user's entry in the password file.
TEnvironment SystemEnvironment();

// Whether a program in `programDir` counts as installed: its folder cannot be written, or it is
// the bin folder of an installed tree (the desktop entry lies in ../share/applications), which
// even the administrator's own run must not fill with files.
bool IsInstalledProgramFolder(const std::filesystem::path& programDir);

// The folders for a program in `programDir`: `programDir` for both when `installed` is false.
// Otherwise the XDG folders of `env`; a value that is unset, empty or relative counts as unset,
// and with no usable HOME either the program's folder is the last resort.
TProgramFolders ChooseProgramFolders(const std::filesystem::path& programDir, bool installed,
                                     const TEnvironment& env);

// Makes `folder` and its missing parents, each the owner's alone (0700): what the program
// keeps there is nobody else's business. Folders that exist are left as they are. The program
// makes its own folders through this one function only. A failure is not reported here: it
// shows up as the file that cannot be written.
void MakeProgramFolder(const std::filesystem::path& folder);

}  // namespace moriva
