// atmega328p.h: the memories of a simulated ATmega328P and the serial programming instructions
// that reach them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace quillbrook::board {

enum class AvrMemory { kFlash, kEeprom };

// Flash and EEPROM start erased (0xFF); fuses and lock bits are those of an Arduino Uno as it
// leaves the factory, so that a programmer reading them sees a plausible board.
class Atmega328p {
 public:
  static constexpr std::size_t kFlashSize = 32 * 1024;
  static constexpr std::size_t kFlashPageSize = 128;
  static constexpr std::size_t kEepromSize = 1024;
  static constexpr std::array<std::uint8_t, 3> kSignature = {0x1E, 0x95, 0x0F};

  Atmega328p();

  std::span<const std::uint8_t> flash() const { return flash_; }
  std::span<const std::uint8_t> eeprom() const { return eeprom_; }

  // Copies bytes into the memory from a byte address on. False, with nothing written, when the
  // range does not lie wholly inside the memory.
  bool Write(AvrMemory memory, std::size_t address, std::span<const std::uint8_t> bytes);
  // Fills `out` from a byte address on. False, with `out` untouched, when the range does not lie
  // wholly inside the memory.
  bool Read(AvrMemory memory, std::size_t address, std::span<std::uint8_t> out) const;

  // Erases the flash and the lock bits, and the EEPROM too unless the EESAVE fuse keeps it.
  void ChipErase();

  // Runs one 4-byte serial programming instruction and returns the byte the chip shifts out
  // during its fourth byte. Instructions the chip does not know change nothing and return 0.
  std::uint8_t Execute(const std::array<std::uint8_t, 4>& instruction);

 private:
  std::span<std::uint8_t> Memory(AvrMemory memory);
  std::span<const std::uint8_t> Memory(AvrMemory memory) const;

  std::vector<std::uint8_t> flash_;
  std::vector<std::uint8_t> eeprom_;
  std::uint8_t low_fuse_ = 0xFF;
  std::uint8_t high_fuse_ = 0xDE;
  std::uint8_t extended_fuse_ = 0xFD;
  std::uint8_t lock_bits_ = 0xCF;
  std::uint8_t calibration_ = 0x9C;
};

}  // namespace quillbrook::board
