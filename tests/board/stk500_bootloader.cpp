// stk500_bootloader.cpp: the STK500 version 1 protocol, in the dialect of the Arduino bootloaders,
// answered on behalf of one simulated chip.
#include "tests/board/stk500_bootloader.h"

#include <algorithm>
#include <string_view>

namespace quillbrook::board {

namespace {

// Answers.
constexpr std::uint8_t kOk = 0x10;
constexpr std::uint8_t kFailed = 0x11;
constexpr std::uint8_t kUnknown = 0x12;
constexpr std::uint8_t kInSync = 0x14;
constexpr std::uint8_t kNoSync = 0x15;
constexpr std::uint8_t kCrcEop = 0x20;

// Commands.
constexpr std::uint8_t kGetSync = 0x30;
constexpr std::uint8_t kGetSignOn = 0x31;
constexpr std::uint8_t kSetParameter = 0x40;
constexpr std::uint8_t kGetParameter = 0x41;
constexpr std::uint8_t kSetDevice = 0x42;
constexpr std::uint8_t kSetDeviceExt = 0x45;
constexpr std::uint8_t kEnterProgmode = 0x50;
constexpr std::uint8_t kLeaveProgmode = 0x51;
constexpr std::uint8_t kChipErase = 0x52;
constexpr std::uint8_t kLoadAddress = 0x55;
constexpr std::uint8_t kUniversal = 0x56;
constexpr std::uint8_t kProgPage = 0x64;
constexpr std::uint8_t kReadPage = 0x74;
constexpr std::uint8_t kReadSign = 0x75;

constexpr std::size_t kSetDeviceArguments = 20;
constexpr std::string_view kSignOn = "AVR STK";

// Parameters: the board's identity, which the host only reads, and settings it may change.
constexpr std::uint8_t kHardwareVersion = 0x80;
constexpr std::uint8_t kSoftwareMajor = 0x81;
constexpr std::uint8_t kSoftwareMinor = 0x82;
constexpr std::uint8_t kTopCardDetect = 0x98;

bool IsReadOnlyParameter(std::uint8_t parameter) {
  return parameter == kHardwareVersion || parameter == kSoftwareMajor ||
         parameter == kSoftwareMinor || parameter == kTopCardDetect;
}

std::optional<AvrMemory> MemoryOfType(std::uint8_t type) {
  switch (type) {
    case 'F':
      return AvrMemory::kFlash;
    case 'E':
      return AvrMemory::kEeprom;
    default:
      return std::nullopt;
  }
}

}  // namespace

Stk500Bootloader::Stk500Bootloader(Atmega328p& chip)
    : chip_(chip),
      parameters_{
          {kHardwareVersion, 0x02},
          {kSoftwareMajor, 0x04},
          {kSoftwareMinor, 0x04},
          {0x83, 0x00},            // LEDs
          {0x84, 50},              // target voltage, 5.0 V
          {0x85, 50},              // reference voltage, 5.0 V
          {0x86, 0x01},            // oscillator prescaler
          {0x87, 0x01},            // oscillator compare match
          {0x88, 0x00},            // reset duration
          {0x89, 0x01},            // SCK duration
          {0x90, 0x00},            // buffer size, low byte
          {0x91, 0x01},            // buffer size, high byte: 256
          {0x92, 0x86},            // device code of the ATmega328P
          {0x93, 'S'},             // programming mode: serial
          {0x94, 0x00},            // parallel mode
          {0x95, 0x01},            // polling
          {0x96, 0x01},            // self-timed
          {kTopCardDetect, 0xFF},  // no top card
      } {}

void Stk500Bootloader::Receive(std::span<const std::uint8_t> bytes,
                               std::vector<std::uint8_t>& reply) {
  for (std::uint8_t byte : bytes) {
    pending_.push_back(byte);
    const std::optional<std::size_t> length = CommandLength();
    if (!length || pending_.size() < *length) {
      continue;
    }
    Answer(reply);
    const bool framed = pending_.back() == kCrcEop;
    pending_.clear();
    // The byte that stood where CRC_EOP belonged may be the start of the host's next command:
    // without a reset line to pull, that is how the board finds the host's GET_SYNC again after
    // a byte was lost or added.
    if (!framed) {
      pending_.push_back(byte);
    }
  }
}

void Stk500Bootloader::Reset() {
  pending_.clear();
  word_address_ = 0;
}

std::optional<std::size_t> Stk500Bootloader::CommandLength() const {
  switch (pending_.front()) {
    case kGetParameter:
      return 3;
    case kSetParameter:
    case kLoadAddress:
      return 4;
    case kReadPage:
      return 5;
    case kUniversal:
      return 6;
    case kSetDevice:
      return 2 + kSetDeviceArguments;
    case kSetDeviceExt:
      // Its first argument counts the arguments, itself included.
      if (pending_.size() < 2) {
        return std::nullopt;
      }
      return 2 + std::max<std::size_t>(pending_[1], 1);
    case kProgPage:
      if (pending_.size() < 3) {
        return std::nullopt;
      }
      return 5 + ((std::size_t{pending_[1]} << 8) | pending_[2]);
    default:  // no arguments, and so is every command the board does not know
      return 2;
  }
}

void Stk500Bootloader::Answer(std::vector<std::uint8_t>& reply) {
  if (pending_.back() != kCrcEop) {
    reply.push_back(kNoSync);
    return;
  }
  switch (pending_.front()) {
    case kGetSync:
    case kSetDevice:
    case kSetDeviceExt:
    case kEnterProgmode:
      // A bootloader knows the chip it runs on; what the host says about it changes nothing.
      reply.insert(reply.end(), {kInSync, kOk});
      return;
    case kLeaveProgmode:
      ++sessions_ended_;
      reply.insert(reply.end(), {kInSync, kOk});
      return;
    case kGetSignOn:
      reply.push_back(kInSync);
      reply.insert(reply.end(), kSignOn.begin(), kSignOn.end());
      reply.push_back(kOk);
      return;
    case kGetParameter: {
      const auto found = parameters_.find(pending_[1]);
      if (found == parameters_.end()) {
        reply.insert(reply.end(), {kInSync, pending_[1], kFailed});
      } else {
        reply.insert(reply.end(), {kInSync, found->second, kOk});
      }
      return;
    }
    case kSetParameter: {
      const auto found = parameters_.find(pending_[1]);
      if (found == parameters_.end() || IsReadOnlyParameter(pending_[1])) {
        reply.insert(reply.end(), {kInSync, pending_[1], kFailed});
      } else {
        found->second = pending_[2];
        reply.insert(reply.end(), {kInSync, kOk});
      }
      return;
    }
    case kChipErase:
      chip_.ChipErase();
      reply.insert(reply.end(), {kInSync, kOk});
      return;
    case kLoadAddress:
      word_address_ = pending_[1] | (std::size_t{pending_[2]} << 8);
      reply.insert(reply.end(), {kInSync, kOk});
      return;
    case kUniversal:
      reply.insert(
          reply.end(),
          {kInSync, chip_.Execute({pending_[1], pending_[2], pending_[3], pending_[4]}), kOk});
      return;
    case kProgPage:
      ProgramPage(reply);
      return;
    case kReadPage:
      ReadPage(reply);
      return;
    case kReadSign:
      reply.push_back(kInSync);
      reply.insert(reply.end(), Atmega328p::kSignature.begin(), Atmega328p::kSignature.end());
      reply.push_back(kOk);
      return;
    default:
      reply.push_back(kUnknown);
      return;
  }
}

void Stk500Bootloader::ProgramPage(std::vector<std::uint8_t>& reply) {
  const std::optional<AvrMemory> memory = MemoryOfType(pending_[3]);
  const auto data = std::span<const std::uint8_t>(pending_).subspan(4, pending_.size() - 5);
  // A block that does not fit is refused whole: a real chip would wrap the address around and
  // overwrite its own beginning, which no test should mistake for a good write.
  const bool written = memory && chip_.Write(*memory, word_address_ * 2, data);
  reply.insert(reply.end(), {kInSync, written ? kOk : kFailed});
}

void Stk500Bootloader::ReadPage(std::vector<std::uint8_t>& reply) {
  const std::optional<AvrMemory> memory = MemoryOfType(pending_[3]);
  const std::size_t length = (std::size_t{pending_[1]} << 8) | pending_[2];
  std::vector<std::uint8_t> data(length);
  if (!memory || !chip_.Read(*memory, word_address_ * 2, data)) {
    reply.insert(reply.end(), {kInSync, kFailed});
    return;
  }
  reply.push_back(kInSync);
  reply.insert(reply.end(), data.begin(), data.end());
  reply.push_back(kOk);
}

}  // namespace quillbrook::board
