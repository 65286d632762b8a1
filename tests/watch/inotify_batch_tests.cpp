// inotify_batch_tests.cpp: the records one inotify read yields, built from hand-made event bytes.
#include <gtest/gtest.h>
#include <sys/inotify.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tests/watch/change_record_printer.h"
#include "watch/inotify_batch.h"

namespace quillbrook {
namespace {

// Event bytes laid out as the kernel writes them: header, then the name padded with zero bytes.
class EventBytes {
 public:
  EventBytes& Add(std::uint32_t mask, const std::string& name = "", std::uint32_t padding = 4) {
    inotify_event event{};
    event.wd = (mask & IN_Q_OVERFLOW) != 0 ? -1 : 1;
    event.mask = mask;
    event.len = name.empty() ? 0 : static_cast<std::uint32_t>(name.size()) + padding;
    const std::size_t at = bytes_.size();
    bytes_.resize(at + sizeof event + event.len);
    std::memcpy(bytes_.data() + at, &event, sizeof event);
    std::memcpy(bytes_.data() + at + sizeof event, name.data(), name.size());
    return *this;
  }
  // Drops the last count bytes, as a read cut short would.
  EventBytes& Cut(std::size_t count) {
    bytes_.resize(bytes_.size() - count);
    return *this;
  }
  std::span<const std::byte> span() const { return bytes_; }

 private:
  std::vector<std::byte> bytes_;
};

const std::string kDir = "/w/";

TEST(DecodeInotifyBatch, KeepsOnlyWritesToFilesDirectlyInTheDirectory) {
  struct Case {
    const char* what;
    EventBytes bytes;
    std::vector<ChangeRecord> records;
    bool ended;
  };
  const Case cases[] = {
      {"a write", EventBytes().Add(IN_MODIFY, "blink.hex"), {{3, "/w/blink.hex"}}, false},
      {"name filling its whole length",
       EventBytes().Add(IN_MODIFY, "abcd", 0).Add(IN_MODIFY, "e", 15),
       {{3, "/w/abcd"}, {3, "/w/e"}},
       false},
      {"a subdirectory", EventBytes().Add(IN_MODIFY | IN_ISDIR, "sub"), {}, false},
      {"other events",
       EventBytes().Add(IN_CREATE, "a").Add(IN_MOVED_TO, "a").Add(IN_ATTRIB, "a").Add(IN_MODIFY),
       {},
       false},
      {"overflow", EventBytes().Add(IN_Q_OVERFLOW), {{0, "/w/"}}, false},
      {"overflow after writes",
       EventBytes().Add(IN_MODIFY, "a").Add(IN_MODIFY, "b").Add(IN_Q_OVERFLOW),
       {{3, "/w/a"}, {3, "/w/b"}, {0, "/w/"}},
       false},
      {"directory removed",
       EventBytes().Add(IN_MODIFY, "a").Add(IN_DELETE_SELF).Add(IN_IGNORED),
       {{3, "/w/a"}},
       true},
      {"directory moved away, then written in",
       EventBytes().Add(IN_MOVE_SELF).Add(IN_MODIFY, "a"),
       {},
       true},
      {"unmounted", EventBytes().Add(IN_UNMOUNT).Add(IN_IGNORED), {}, true},
      {"a cut event",
       EventBytes().Add(IN_MODIFY, "a").Add(IN_MODIFY, "bbbbbbbb").Cut(3),
       {{3, "/w/a"}},
       false},
      {"a cut header",
       EventBytes().Add(IN_MODIFY, "a").Add(IN_MODIFY, "b").Cut(20),
       {{3, "/w/a"}},
       false},
      {"nothing", EventBytes(), {}, false},
  };
  for (const Case& c : cases) {
    const InotifyBatch batch = DecodeInotifyBatch(c.bytes.span(), kDir);
    EXPECT_EQ(batch.records, c.records) << c.what;
    EXPECT_EQ(batch.watchEnded, c.ended) << c.what;
  }
}

}  // namespace
}  // namespace quillbrook
