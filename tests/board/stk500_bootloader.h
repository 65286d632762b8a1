// stk500_bootloader.h: the STK500 version 1 protocol, in the dialect of the Arduino bootloaders,
// answered on behalf of one simulated chip.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <vector>

#include "tests/board/atmega328p.h"

namespace quillbrook::board {

// Every command is a command byte, its arguments and CRC_EOP (0x20); the answer is INSYNC, any
// data, OK. A command that does not end in CRC_EOP is answered NOSYNC; a command byte the board
// does not know is answered UNKNOWN when CRC_EOP follows it directly, else NOSYNC.
//
// Flash and EEPROM addresses are word addresses, as avrdude sends them for either memory.
class Stk500Bootloader {
 public:
  explicit Stk500Bootloader(Atmega328p& chip);

  // Takes the host's bytes as they arrive, in pieces of any size, and appends to `reply` the answer
  // to every command they complete.
  void Receive(std::span<const std::uint8_t> bytes, std::vector<std::uint8_t>& reply);

  // What a reset of the board does to the conversation: a half-received command is forgotten and
  // the address is 0 again. The memories keep what was written.
  void Reset();

  // How many times the host has left programming mode, which it does at the end of each session.
  int sessions_ended() const { return sessions_ended_; }

 private:
  // The whole length of the command begun in pending_, CRC_EOP included, once enough of it has
  // arrived to tell.
  std::optional<std::size_t> CommandLength() const;
  // Answers the complete command in pending_.
  void Answer(std::vector<std::uint8_t>& reply);
  void ProgramPage(std::vector<std::uint8_t>& reply);
  void ReadPage(std::vector<std::uint8_t>& reply);

  Atmega328p& chip_;
  std::vector<std::uint8_t> pending_;
  std::size_t word_address_ = 0;
  std::map<std::uint8_t, std::uint8_t> parameters_;
  int sessions_ended_ = 0;
};

}  // namespace quillbrook::board
