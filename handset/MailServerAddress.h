#pragma once
// Pointing a mail client at the server of the settings, and showing what it reports.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

#include "base/Cp932.h"
#include "base/Dialogs.h"
#include "mail/MailSecurity.h"
#include "mail/Pop3Client.h"

namespace moriva {

// A settings value "host" or "host:port": the host and the port text. Without ":" the port
// is `defaultPort` (the one of the connection's security: DefaultSmtpPort, DefaultPop3Port),
// so a plain server name behaves as it always did; a value like
// "mail.example.jp:587" reaches a server on another port.
struct TServerAddress {
  std::string Host;
  std::string Port;
};
TServerAddress SplitServerAddress(std::string_view setting, std::string_view defaultPort);

// Points `client` (TSmtpClient or TPop3Client) at the server of the settings: `address` as
// SplitServerAddress reads it, the protection `securityKey` names (its own default port when the
// address has none) and the extra certificates of `caFile` (CP932, as the settings hold it).
// False when the key names no protection the client knows; the client is then left unprotected
// and must not be started.
template <class TClient>
bool AimClient(TClient& client, std::string_view address, std::string_view securityKey,
               std::string_view caFile) {
  constexpr bool pop3 = std::is_same_v<TClient, TPop3Client>;
  const std::optional<TMailSecurity> security = ParseMailSecurity(securityKey, pop3);
  const TMailSecurity used = security.value_or(TMailSecurity::msNone);
  TServerAddress server =
      SplitServerAddress(address, pop3 ? DefaultPop3Port(used) : DefaultSmtpPort(used));
  client.Host = std::move(server.Host);
  client.Port = std::move(server.Port);
  client.Security = used;
  client.CaFile = Cp932ToUtf8(caFile);  // a path: the file system speaks UTF-8
  return security.has_value();
}

// An OnError handler for either client: the server's text alone in an error box.
std::function<void(const void*, int, const std::string&)> ErrorBoxHandler(TDialogs& dialogs);

}  // namespace moriva
