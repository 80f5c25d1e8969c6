// A view of bytes whose reads check their own room. The parsers check every
// offset and count against what is left before they read (and say why
// when it does not fit); the view is the second line: a read it cannot
// serve is a programming error, which stops debug and sanitizer builds at
// once and in release builds reads as zero instead of outside the bytes.
#ifndef SHADER_REFLECTION_BYTE_VIEW_H
#define SHADER_REFLECTION_BYTE_VIEW_H

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "dxbc_layout.h"

namespace shader_reflection {

class ByteView {
 public:
  ByteView() = default;
  ByteView(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}

  const unsigned char* data() const { return data_; }
  std::size_t size() const { return size_; }

  // True when `length` bytes lie at `offset`; cannot overflow.
  bool Fits(std::size_t offset, std::size_t length) const {
    return offset <= size_ && length <= size_ - offset;
  }
  // True when `count` records of `record_size` bytes lie at `offset`:
  // divides the room by the record size instead of multiplying the count.
  bool FitsArray(std::size_t offset, std::size_t count, std::size_t record_size) const {
    return offset <= size_ && count <= (size_ - offset) / record_size;
  }

  // The field of the record that starts at `record`, little-endian.
  std::uint32_t U32(std::size_t record, layout::Field field) const {
    assert(field.width == 4);
    return static_cast<std::uint32_t>(Unsigned(record, field));
  }
  std::uint16_t U16(std::size_t record, layout::Field field) const {
    assert(field.width == 2);
    return static_cast<std::uint16_t>(Unsigned(record, field));
  }
  std::uint8_t U8(std::size_t record, layout::Field field) const {
    assert(field.width == 1);
    return static_cast<std::uint8_t>(Unsigned(record, field));
  }

  // The bytes [offset, offset + length), which must be inside.
  const unsigned char* At(std::size_t offset, std::size_t length) const {
    const bool inside = Fits(offset, length);
    assert(inside && "a read the parser did not check");
    return inside ? data_ + offset : nullptr;
  }

  // The `length` bytes at `offset` as a view of their own.
  ByteView Sub(std::size_t offset, std::size_t length) const {
    const unsigned char* start = At(offset, length);
    return start == nullptr ? ByteView() : ByteView(start, length);
  }

 private:
  std::uint64_t Unsigned(std::size_t record, layout::Field field) const {
    const bool inside = record <= size_ && Fits(record, field.offset + field.width) &&
                        field.width <= sizeof(std::uint64_t);
    assert(inside && "a read the parser did not check");
    if (!inside) return 0;
    unsigned char bytes[sizeof(std::uint64_t)] = {};
    std::memcpy(bytes, data_ + record + field.offset, field.width);
    std::uint64_t value = 0;
    for (std::size_t i = field.width; i > 0; --i) value = value << 8 | bytes[i - 1];
    return value;
  }

  const unsigned char* data_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace shader_reflection

#endif  // SHADER_REFLECTION_BYTE_VIEW_H
