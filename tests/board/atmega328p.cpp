// atmega328p.cpp: the memories of a simulated ATmega328P and the serial programming instructions
// that reach them.
#include "tests/board/atmega328p.h"

#include <algorithm>

namespace quillbrook::board {

namespace {

constexpr std::uint8_t kErased = 0xFF;
// EESAVE is bit 3 of the high fuse; like every fuse bit it is active when 0.
constexpr std::uint8_t kEesaveBit = 0x08;
// Bits the chip does not implement read as 1 whatever is written to them.
constexpr std::uint8_t kExtendedFuseUnused = 0xF8;
constexpr std::uint8_t kLockBitsUnused = 0xC0;

}  // namespace

Atmega328p::Atmega328p() : flash_(kFlashSize, kErased), eeprom_(kEepromSize, kErased) {}

std::span<std::uint8_t> Atmega328p::Memory(AvrMemory memory) {
  return memory == AvrMemory::kFlash ? std::span<std::uint8_t>(flash_)
                                     : std::span<std::uint8_t>(eeprom_);
}

std::span<const std::uint8_t> Atmega328p::Memory(AvrMemory memory) const {
  return memory == AvrMemory::kFlash ? std::span<const std::uint8_t>(flash_)
                                     : std::span<const std::uint8_t>(eeprom_);
}

bool Atmega328p::Write(AvrMemory memory, std::size_t address, std::span<const std::uint8_t> bytes) {
  std::span<std::uint8_t> target = Memory(memory);
  if (address > target.size() || bytes.size() > target.size() - address) {
    return false;
  }
  std::ranges::copy(bytes, target.begin() + static_cast<std::ptrdiff_t>(address));
  return true;
}

bool Atmega328p::Read(AvrMemory memory, std::size_t address, std::span<std::uint8_t> out) const {
  std::span<const std::uint8_t> source = Memory(memory);
  if (address > source.size() || out.size() > source.size() - address) {
    return false;
  }
  std::ranges::copy(source.subspan(address, out.size()), out.begin());
  return true;
}

void Atmega328p::ChipErase() {
  std::ranges::fill(flash_, kErased);
  if ((high_fuse_ & kEesaveBit) != 0) {
    std::ranges::fill(eeprom_, kErased);
  }
  lock_bits_ = kErased;
}

std::uint8_t Atmega328p::Execute(const std::array<std::uint8_t, 4>& instruction) {
  const auto [op, second, third, fourth] = instruction;
  const std::size_t address = (std::size_t{second} << 8) | third;
  const std::size_t flash_byte = (address * 2) % kFlashSize;
  switch (op) {
    case 0xAC:
      switch (second) {
        case 0x80:
          ChipErase();
          break;
        case 0xA0:
          low_fuse_ = fourth;
          break;
        case 0xA8:
          high_fuse_ = fourth;
          break;
        case 0xA4:
          extended_fuse_ = fourth | kExtendedFuseUnused;
          break;
        case 0xE0:
          // Lock bits can only be programmed; only a chip erase clears them again.
          lock_bits_ &= fourth | kLockBitsUnused;
          break;
        default:  // programming enable and instructions the chip ignores
          break;
      }
      return 0;
    case 0x50:
      return second == 0x08 ? extended_fuse_ : low_fuse_;
    case 0x58:
      return second == 0x08 ? high_fuse_ : lock_bits_;
    case 0x30: {
      const std::size_t index = third & 0x03;
      return index < kSignature.size() ? kSignature[index] : 0;
    }
    case 0x38:
      return calibration_;
    case 0x20:
      return flash_[flash_byte];
    case 0x28:
      return flash_[flash_byte + 1];
    case 0xA0:
      return eeprom_[address % kEepromSize];
    case 0xC0:
      eeprom_[address % kEepromSize] = fourth;
      return 0;
    default:  // 0xF0 (busy poll) answers 0, "ready", like every unknown instruction
      return 0;
  }
}

}  // namespace quillbrook::board
