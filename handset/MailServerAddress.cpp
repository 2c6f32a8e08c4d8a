#include "handset/MailServerAddress.h"

#include "mail/HeaderText.h"

namespace moriva {

TServerAddress SplitServerAddress(std::string_view setting, std::string_view defaultPort) {
  const size_t colon = setting.rfind(':');
  if (colon == std::string_view::npos) return {std::string(setting), std::string(defaultPort)};
  return {std::string(setting.substr(0, colon)), std::string(setting.substr(colon + 1))};
}

std::function<void(const void*, int, const std::string&)> ErrorBoxHandler(TDialogs& dialogs) {
  return [&dialogs](const void*, int, const std::string& msg) {
    dialogs.ShowError(MailTextToUtf8(msg));
  };
}

}  // namespace moriva
