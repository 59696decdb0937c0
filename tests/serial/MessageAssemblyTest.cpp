#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "serial/MessageAssembly.h"

namespace {

using Messages = std::vector<std::string>;

TEST(MessageAssembly, CutsFramedMessagesOutOfTheBytes) {
  using std::string;
  const struct {
    const char* name;
    comm::MessageFraming framing;
    std::string bytes;
    Messages messages;
  } cases[] = {
      {"strays around a message are dropped", {2, 3, 0}, "\x41\x02\x42\x43\x03\x44", {"\x02\x42\x43\x03"}},
      {"bytes after the end are taken whatever they are", {2, 3, 2}, "\x02\x42\x03\x03\x02", {"\x02\x42\x03\x03\x02"}},
      {"a second start restarts the message", {2, 3, 0}, "\x02\x41\x02\x42\x03", {"\x02\x42\x03"}},
      {"an end without a start is discarded", {2, 3, 0}, "\x03\x41\x02\x41\x03\x03", {"\x02\x41\x03"}},
      {"equal start and end never complete", {2, 2, 0}, "\x02\x41\x02\x42\x02", {}},
      {"two messages in a row", {2, 3, 0}, "\x02\x41\x03\x02\x42\x03", {"\x02\x41\x03", "\x02\x42\x03"}},
      {"zero bytes are data", {2, 3, 0}, string("\x02\x00\x03", 3), {string("\x02\x00\x03", 3)}},
      {"other framing bytes", {'S', 'E', 0}, "xSabEy", {"SabE"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    comm::MessageAssembly assembly;
    Messages got;
    for (const char byte : c.bytes) {
      if (assembly.Take(static_cast<uint8_t>(byte), c.framing)) got.push_back(assembly.MsgText);
    }
    EXPECT_EQ(got, c.messages);
  }
}

}  // namespace
