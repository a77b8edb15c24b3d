#pragma once
// The part of a file that a Range header asks for, as far as the service answers ranges: one
// range of bytes; several ranges in one header are answered with the whole file, as HTTP allows.

#include <cstdint>
#include <string>
#include <string_view>

namespace vistrel {

struct RangeAnswer {
  enum class Kind {
    kWhole,          // 200 with the whole file
    kPart,           // 206 with bytes first .. first + length - 1
    kUnsatisfiable,  // 416
  };
  Kind kind = Kind::kWhole;
  uint64_t first = 0;
  uint64_t length = 0;
};

// What a Range header asks of a file of `size` bytes: "bytes=FIRST-LAST", "bytes=FIRST-" or
// "bytes=-SUFFIX" gives kPart, cut to the end of the file; a range that starts at or after the
// end, or an empty suffix, gives kUnsatisfiable. No header, another unit, several ranges and a
// malformed header give kWhole (a Range header that cannot be read is ignored).
RangeAnswer ReadRangeHeader(std::string_view header, uint64_t size);

// The Content-Range value of an answer: "bytes FIRST-LAST/SIZE", or "bytes */SIZE" for
// kUnsatisfiable.
std::string ContentRange(const RangeAnswer& answer, uint64_t size);

}  // namespace vistrel
