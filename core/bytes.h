// Bounds-checked access to byte buffers. Every read and write into a card image goes through
// these helpers: a read past the end yields only the bytes that exist, a write past the end is
// clipped, and nothing ever changes a buffer's length.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace selvane {

using Bytes = std::span<const std::uint8_t>;
using MutableBytes = std::span<std::uint8_t>;

// The part of [offset, offset + length) that lies inside `data`; empty when offset is past the end.
inline Bytes ClipRead(Bytes data, std::size_t offset, std::size_t length) {
  if (offset >= data.size()) return {};
  return data.subspan(offset, std::min(length, data.size() - offset));
}
inline MutableBytes ClipWrite(MutableBytes data, std::size_t offset, std::size_t length) {
  if (offset >= data.size()) return {};
  return data.subspan(offset, std::min(length, data.size() - offset));
}

// Copies `source` over `data` at `offset`, dropping whatever would fall past the end.
// Returns the number of bytes written.
inline std::size_t WriteClipped(MutableBytes data, std::size_t offset, Bytes source) {
  MutableBytes target = ClipWrite(data, offset, source.size());
  std::copy_n(source.begin(), target.size(), target.begin());
  return target.size();
}
inline std::size_t FillClipped(MutableBytes data, std::size_t offset, std::size_t length, std::uint8_t value) {
  MutableBytes target = ClipWrite(data, offset, length);
  std::fill(target.begin(), target.end(), value);
  return target.size();
}

// One byte, or nullopt-like `fallback` when it lies outside the buffer.
inline std::uint8_t ByteAt(Bytes data, std::size_t offset, std::uint8_t fallback = 0) {
  return offset < data.size() ? data[offset] : fallback;
}
inline bool HasByte(Bytes data, std::size_t offset) { return offset < data.size(); }

// Little-endian 16-bit fields (the card's byte order).
inline std::uint16_t ReadLe16(Bytes data, std::size_t offset) {
  return static_cast<std::uint16_t>(ByteAt(data, offset) | (ByteAt(data, offset + 1) << 8));
}
inline void WriteLe16(MutableBytes data, std::size_t offset, std::uint16_t value) {
  const std::uint8_t le[2] = {static_cast<std::uint8_t>(value & 0xFF), static_cast<std::uint8_t>(value >> 8)};
  WriteClipped(data, offset, le);
}
inline std::uint32_t ReadLe32(Bytes data, std::size_t offset) {
  return static_cast<std::uint32_t>(ReadLe16(data, offset)) |
         (static_cast<std::uint32_t>(ReadLe16(data, offset + 2)) << 16);
}
inline void WriteLe32(MutableBytes data, std::size_t offset, std::uint32_t value) {
  WriteLe16(data, offset, static_cast<std::uint16_t>(value & 0xFFFF));
  WriteLe16(data, offset + 2, static_cast<std::uint16_t>(value >> 16));
}

// A text field's bytes up to its first zero byte (all of them when it has none).
inline Bytes UpToZero(Bytes field) {
  return field.first(static_cast<std::size_t>(std::find(field.begin(), field.end(), 0) - field.begin()));
}
// The zero-ended text of the `size` bytes at `offset`, clipped at the end of `data`.
inline std::string ZeroEndedText(Bytes data, std::size_t offset, std::size_t size) {
  const Bytes text = UpToZero(ClipRead(data, offset, size));
  return {text.begin(), text.end()};
}

// XOR of the first `length` bytes (the directory frame checksum covers bytes 0..126).
inline std::uint8_t XorOf(Bytes data) {
  std::uint8_t x = 0;
  for (std::uint8_t b : data) x = static_cast<std::uint8_t>(x ^ b);
  return x;
}

}  // namespace selvane
