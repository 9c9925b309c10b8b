// The message catalogue. Every bank object and every stub reader holds a VexMessage;
// all holders share one set of groups, built on the first acquire and released with
// the last holder. The catalogue outlives every holder, also one released at the very
// end of the process.
#pragma once

#include <string_view>

namespace tabrix {

class VexMessage {
 public:
  VexMessage();   // acquire: one more user; builds the groups when none exist
  ~VexMessage();  // release: one user less; the last one frees the groups
  VexMessage(const VexMessage&);
  VexMessage& operator=(const VexMessage&) = default;

  // The text of entry `number` of group `key` ("msgbk", "msgvex", "msglsc", "msgrhs",
  // "msgutil"), or nullptr for an unknown key, "msgbpl", or an entry without text.
  const char* fetch(std::string_view key, int number) const;
  // Writes entry `number` of group `key` to the console as a printf format with the
  // arguments; nothing when the entry has no text.
  void print(std::string_view key, int number, ...) const;

  // The number of live holders, and whether the groups are built (for tests).
  static int users();
  static bool built();
};

}  // namespace tabrix
