#include "finder/archive/buffered_byte_source.h"

#include <cstring>
#include <limits>

std::size_t BufferedByteSource::ReadAndFill(void* buffer, std::size_t size) {
  auto* out = static_cast<std::uint8_t*>(buffer);
  std::size_t copied = 0;
  while (copied < size) {
    if (cursor_ < filled_) {
      std::size_t take = filled_ - cursor_;
      if (take > size - copied) take = size - copied;
      std::memcpy(out + copied, buffer_ + cursor_, take);
      cursor_ += take;
      copied += take;
      continue;
    }
    // A read as large as the buffer gains nothing from going through it.
    if (size - copied >= kBufferSize) {
      cursor_ = filled_ = 0;
      return copied + raw_.Read(out + copied, size - copied);
    }
    cursor_ = 0;
    filled_ = raw_.Read(buffer_, nextFill_);
    nextFill_ = kBufferSize;
    if (filled_ == 0) break;
  }
  return copied;
}

bool BufferedByteSource::Skip(std::int64_t offset) {
  const auto ahead = static_cast<std::int64_t>(filled_ - cursor_);
  if (offset >= -static_cast<std::int64_t>(cursor_) && offset <= ahead) {
    cursor_ = static_cast<std::size_t>(static_cast<std::int64_t>(cursor_) + offset);
    return true;
  }
  // The raw source stands behind the buffered bytes.
  if (offset < std::numeric_limits<std::int64_t>::min() + ahead) return false;
  const std::int64_t beyond = offset - ahead;
  if (!raw_.Skip(beyond)) return false;
  cursor_ = filled_ = 0;
  // Backwards (the central directory, a header straddling a scan block) or
  // not far ahead, the bytes there are likely read on.
  nextFill_ = beyond >= static_cast<std::int64_t>(kFarSkip) ? kFillAfterFarSkip : kBufferSize;
  return true;
}
