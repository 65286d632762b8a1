// stk500_bootloader_tests.cpp: the simulated board's answers to STK500v1 commands, byte for byte,
// including the framing errors and out-of-range requests that avrdude never sends.
#include "tests/board/stk500_bootloader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <string>
#include <vector>

#include "tests/board/atmega328p.h"

namespace quillbrook::board {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kOk = 0x10;
constexpr std::uint8_t kFailed = 0x11;
constexpr std::uint8_t kUnknown = 0x12;
constexpr std::uint8_t kInSync = 0x14;
constexpr std::uint8_t kNoSync = 0x15;
constexpr std::uint8_t kEop = 0x20;

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes joined;
  for (const Bytes& part : parts) {
    joined.insert(joined.end(), part.begin(), part.end());
  }
  return joined;
}

Bytes LoadAddress(unsigned word) {
  return {0x55, static_cast<std::uint8_t>(word & 0xFF), static_cast<std::uint8_t>(word >> 8), kEop};
}

Bytes ProgramPage(char memory, const Bytes& data) {
  Bytes command = {0x64, static_cast<std::uint8_t>(data.size() >> 8),
                   static_cast<std::uint8_t>(data.size() & 0xFF),
                   static_cast<std::uint8_t>(memory)};
  command.insert(command.end(), data.begin(), data.end());
  command.push_back(kEop);
  return command;
}

Bytes ReadPage(char memory, std::size_t length) {
  return {0x74, static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length & 0xFF),
          static_cast<std::uint8_t>(memory), kEop};
}

Bytes Universal(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
  return {0x56, a, b, c, d, kEop};
}

Bytes Counting(std::size_t size, std::uint8_t first) {
  Bytes bytes(size);
  std::iota(bytes.begin(), bytes.end(), first);
  return bytes;
}

class Stk500BootloaderTest : public ::testing::Test {
 protected:
  Bytes Talk(const Bytes& bytes) {
    Bytes reply;
    bootloader_.Receive(bytes, reply);
    return reply;
  }

  Atmega328p chip_;
  Stk500Bootloader bootloader_{chip_};
};

TEST_F(Stk500BootloaderTest, AnswersEachCommandAsTheProtocolDefinesIt) {
  Bytes set_device = {0x42};
  set_device.resize(21, 0x00);
  set_device.push_back(kEop);
  const struct {
    std::string what;
    Bytes command;
    Bytes reply;
  } cases[] = {
      {"get sync", {0x30, kEop}, {kInSync, kOk}},
      {"sign on", {0x31, kEop}, {kInSync, 'A', 'V', 'R', ' ', 'S', 'T', 'K', kOk}},
      {"signature", {0x75, kEop}, {kInSync, 0x1E, 0x95, 0x0F, kOk}},
      {"hardware version", {0x41, 0x80, kEop}, {kInSync, 0x02, kOk}},
      {"software version",
       Join({{0x41, 0x81, kEop}, {0x41, 0x82, kEop}}),
       {kInSync, 0x04, kOk, kInSync, 0x04, kOk}},
      {"parameter that does not exist", {0x41, 0x7F, kEop}, {kInSync, 0x7F, kFailed}},
      {"changed parameter",
       Join({{0x40, 0x84, 33, kEop}, {0x41, 0x84, kEop}}),
       {kInSync, kOk, kInSync, 33, kOk}},
      {"read-only parameter",
       Join({{0x40, 0x81, 9, kEop}, {0x41, 0x81, kEop}}),
       {kInSync, 0x81, kFailed, kInSync, 0x04, kOk}},
      {"device settings", set_device, {kInSync, kOk}},
      {"extended device settings, 4 counted",
       {0x45, 0x05, 0x04, 0xD7, 0xC2, 0x01, kEop},
       {kInSync, kOk}},
      {"extended device settings, 3 counted", {0x45, 0x04, 0x04, 0xD7, 0xC2, kEop}, {kInSync, kOk}},
      {"programming mode", Join({{0x50, kEop}, {0x51, kEop}}), {kInSync, kOk, kInSync, kOk}},
      {"universal: low, high, extended fuse, lock",
       Join({Universal(0x50, 0, 0, 0), Universal(0x58, 8, 0, 0), Universal(0x50, 8, 0, 0),
             Universal(0x58, 0, 0, 0)}),
       {kInSync, 0xFF, kOk, kInSync, 0xDE, kOk, kInSync, 0xFD, kOk, kInSync, 0xCF, kOk}},
      {"universal: signature byte 1", Universal(0x30, 0, 1, 0), {kInSync, 0x95, kOk}},
      {"universal: fuse written, then read",
       Join({Universal(0xAC, 0xA0, 0, 0xE2), Universal(0x50, 0, 0, 0)}),
       {kInSync, 0x00, kOk, kInSync, 0xE2, kOk}},
      {"unknown command", {0x99, kEop}, {kUnknown}},
      {"unknown command without end mark",
       Join({{0x99, 0x99}, {0x30, kEop}}),
       {kNoSync, kNoSync, kInSync, kOk}},
      {"known command without end mark", {0x41, 0x80, 0x30, kEop}, {kNoSync, kInSync, kOk}},
      {"odd garbage before a sync",
       {0x00, 0x00, 0x00, 0x30, kEop},
       {kNoSync, kNoSync, kNoSync, kInSync, kOk}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Atmega328p chip;
    Stk500Bootloader bootloader(chip);
    Bytes reply;
    bootloader.Receive(c.command, reply);
    EXPECT_EQ(reply, c.reply);
  }
}

TEST_F(Stk500BootloaderTest, PagesLandAtTheWordAddressAndReadBack) {
  const Bytes flash_page = Counting(Atmega328p::kFlashPageSize, 1);
  const Bytes eeprom_page = {0xA1, 0xA2, 0xA3, 0xA4};
  // Word 0x40 is byte 0x80 of the flash; word 3 is byte 6 of the EEPROM.
  EXPECT_EQ(Talk(Join({LoadAddress(0x40), ProgramPage('F', flash_page), LoadAddress(3),
                       ProgramPage('E', eeprom_page)})),
            Bytes({kInSync, kOk, kInSync, kOk, kInSync, kOk, kInSync, kOk}));

  EXPECT_TRUE(std::ranges::equal(chip_.flash().subspan(0x80, flash_page.size()), flash_page));
  EXPECT_EQ(chip_.flash()[0x7F], 0xFF);
  EXPECT_EQ(chip_.flash()[0x80 + flash_page.size()], 0xFF);
  EXPECT_TRUE(std::ranges::equal(chip_.eeprom().subspan(6, 4), eeprom_page));
  EXPECT_EQ(chip_.eeprom()[5], 0xFF);

  EXPECT_EQ(Talk(Join({LoadAddress(0x40), ReadPage('F', 3)})),
            Bytes({kInSync, kOk, kInSync, 1, 2, 3, kOk}));
  EXPECT_EQ(Talk(Join({LoadAddress(3), ReadPage('E', 4)})),
            Join({{kInSync, kOk, kInSync}, eeprom_page, {kOk}}));
  EXPECT_EQ(Talk(Universal(0x28, 0x00, 0x40, 0)), Bytes({kInSync, 2, kOk}));
}

TEST_F(Stk500BootloaderTest, RefusesPagesOutsideTheMemoryAndChangesNothing) {
  const Bytes page = Counting(Atmega328p::kFlashPageSize, 0);
  const unsigned last_flash_page = (Atmega328p::kFlashSize - page.size()) / 2;
  const Bytes refused = {kInSync, kOk, kInSync, kFailed};
  const struct {
    std::string what;
    Bytes command;
  } cases[] = {
      {"flash page one byte past the end",
       Join({LoadAddress(last_flash_page), ProgramPage('F', Counting(page.size() + 1, 0))})},
      {"flash page past the end",
       Join({LoadAddress(last_flash_page + 64), ProgramPage('F', page)})},
      {"EEPROM page past the end", Join({LoadAddress(512), ProgramPage('E', {1, 2, 3, 4})})},
      {"unknown memory", Join({LoadAddress(0), ProgramPage('X', page)})},
      {"flash read past the end", Join({LoadAddress(last_flash_page), ReadPage('F', 129)})},
      {"EEPROM read past the end", Join({LoadAddress(511), ReadPage('E', 3)})},
      {"read of an unknown memory", Join({LoadAddress(0), ReadPage('X', 4)})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Atmega328p chip;
    Stk500Bootloader bootloader(chip);
    Bytes reply;
    bootloader.Receive(c.command, reply);
    EXPECT_EQ(reply, refused);
    EXPECT_TRUE(std::ranges::all_of(chip.flash(), [](std::uint8_t b) { return b == 0xFF; }));
    EXPECT_TRUE(std::ranges::all_of(chip.eeprom(), [](std::uint8_t b) { return b == 0xFF; }));
  }
  // The last page itself is in range.
  EXPECT_EQ(Talk(Join({LoadAddress(last_flash_page), ProgramPage('F', page)})),
            Bytes({kInSync, kOk, kInSync, kOk}));
  EXPECT_EQ(chip_.flash().back(), page.back());
}

TEST_F(Stk500BootloaderTest, ChipEraseClearsFlashAndKeepsEepromOnlyWithEesave) {
  const Bytes write_both =
      Join({LoadAddress(0), ProgramPage('F', {1, 2}), ProgramPage('E', {3, 4})});
  Talk(write_both);
  Talk(Universal(0xAC, 0x80, 0, 0));
  EXPECT_EQ(chip_.flash()[0], 0xFF);
  EXPECT_EQ(chip_.eeprom()[0], 0xFF);

  // With EESAVE (bit 3 of the high fuse) programmed, the EEPROM survives, the flash does not.
  Talk(Join({write_both, Universal(0xAC, 0xA8, 0, 0xD6), {0x52, kEop}}));
  EXPECT_EQ(chip_.flash()[0], 0xFF);
  EXPECT_EQ(chip_.eeprom()[0], 3);
}

TEST_F(Stk500BootloaderTest, AnswersTheSameHoweverTheBytesAreSplit) {
  const Bytes session = Join({{0x30, kEop},
                              {0x45, 0x05, 0x04, 0xD7, 0xC2, 0x01, kEop},
                              {0x50, kEop},
                              LoadAddress(0x100),
                              ProgramPage('F', Counting(Atmega328p::kFlashPageSize, 7)),
                              LoadAddress(0x100),
                              ReadPage('F', Atmega328p::kFlashPageSize),
                              {0x99, kEop},
                              {0x51, kEop}});
  const Bytes whole = Talk(session);

  Atmega328p chip;
  Stk500Bootloader bootloader(chip);
  Bytes piecewise;
  for (std::uint8_t byte : session) {
    bootloader.Receive(Bytes{byte}, piecewise);
  }
  EXPECT_EQ(piecewise, whole);
  EXPECT_EQ(whole.back(), kOk);
  EXPECT_EQ(whole.size(), 2 * 6 + (Atmega328p::kFlashPageSize + 2) + 1 + 2);
}

TEST_F(Stk500BootloaderTest, ResetForgetsAHalfReceivedCommand) {
  const Bytes half_page = {0x64, 0x00, 0x80, 'F', 1, 2, 3};
  EXPECT_EQ(Talk(half_page), Bytes());
  // Without the reset the sync would be taken for page data.
  EXPECT_EQ(Talk({0x30, kEop}), Bytes());

  Talk(half_page);
  bootloader_.Reset();
  EXPECT_EQ(Talk({0x30, kEop}), Bytes({kInSync, kOk}));
}

TEST_F(Stk500BootloaderTest, CountsEachTimeTheHostLeavesProgrammingMode) {
  EXPECT_EQ(bootloader_.sessions_ended(), 0);
  Talk({0x50, kEop, 0x51, kEop});
  EXPECT_EQ(bootloader_.sessions_ended(), 1);
  Talk({0x51, 0x30, kEop});  // no end mark where it belongs: no session ends
  EXPECT_EQ(bootloader_.sessions_ended(), 1);
  Talk({0x50, kEop, 0x51, kEop});
  EXPECT_EQ(bootloader_.sessions_ended(), 2);
}

}  // namespace
}  // namespace quillbrook::board
