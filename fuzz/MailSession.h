#pragma once
// Shared by the protocol fuzz targets: how the input is carved into session choices and the
// server's bytes, and the checks that hold for every client whatever the server says.
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "base/Exception.h"
#include "fuzz/FuzzSupport.h"
#include "fuzz/LoopbackPeer.h"
#include "mail/ClientSocket.h"
#include "mail/LineReader.h"

namespace moriva::fuzz {

// The first kChoiceBytes bytes of an input choose how the session runs; the rest is what the
// server sends, so a seed is a real transcript behind a few bytes.
inline constexpr size_t kChoiceBytes = 4;

struct TSessionInput {
  uint8_t Choice[kChoiceBytes] = {};
  std::string Server;
  std::vector<size_t> Cuts;
};

// Choice[kChoiceBytes - 1] cuts the server's bytes into pieces that arrive apart: 0 sends
// them in one piece, any other value seeds the piece lengths (1 to 64 bytes).
inline TSessionInput CarveSession(const uint8_t* data, size_t size) {
  TSessionInput in;
  for (size_t i = 0; i < kChoiceBytes && i < size; ++i) in.Choice[i] = data[i];
  if (size > kChoiceBytes)
    in.Server = std::string(AsText(data + kChoiceBytes, size - kChoiceBytes));
  if (uint8_t seed = in.Choice[kChoiceBytes - 1]) {
    std::minstd_rand gen(seed);
    const size_t longest = seed % 64 + 1;
    for (size_t at = 0; (at += gen() % longest + 1) < in.Server.size();) in.Cuts.push_back(at);
  }
  return in;
}

// A time-out can only mean the client waited for bytes after the end of the stream (the peer
// always has sent everything or closed): a wait that must not happen. A server may of course
// say the very words of the time-out text itself; that is no wait.
inline void CheckNoTimeOut(const std::string& replyText, std::string_view serverBytes) {
  const std::string timedOut = LineFailureText(TLineResult::lrTimedOut);
  if (serverBytes.find(timedOut) != std::string_view::npos) return;
  FUZZ_CHECK(replyText != timedOut);
}

// A command line goes out with one line end, at its end: nothing the server said may split
// it into two commands.
inline void CheckOneLine(std::string_view sent) {
  FUZZ_CHECK(sent.size() >= 2 && sent.substr(sent.size() - 2) == "\r\n");
  sent.remove_suffix(2);
  FUZZ_CHECK(sent.find_first_of("\r\n") == std::string_view::npos);
}

// Runs one step of a session: the component's own exceptions (with the texts it documents
// in `allowed`, or a socket error) may end it, nothing else. False when it threw.
template <typename F>
bool Step(F&& step, std::initializer_list<std::string_view> allowed) {
  try {
    step();
    return true;
  } catch (const ESocketError&) {
    return false;
  } catch (const Exception& e) {
    bool known = false;
    for (std::string_view text : allowed) known = known || e.Message() == text;
    if (!known) std::fprintf(stderr, "unexpected exception: %s\n", e.Message().c_str());
    FUZZ_CHECK(known);
    return false;
  }
}

}  // namespace moriva::fuzz
