// A fixed-size, always terminated text buffer. The programs keep their texts
// in fixed buffers (paths, 80-byte messages, 520-byte templates); this
// type makes an overrun impossible: what does not fit is dropped and the
// buffer remembers that it was cut.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

#include "common/short_copy.h"

template <std::size_t N>
class BoundedText {
  static_assert(N > 0);

 public:
  static constexpr std::size_t kCapacity = N - 1;  // bytes of text, without the terminator

  // Only the terminator is set: a listing line is made per entry, and
  // clearing the whole buffer each time costs more than building the line.
  BoundedText() { buffer_[0] = '\0'; }
  explicit BoundedText(std::string_view text) : BoundedText() { Append(text); }

  // Each returns false (and sets truncated()) when the text did not fit whole.
  bool Assign(std::string_view text) {
    Clear();
    return Append(text);
  }
  bool Append(std::string_view text) {
    std::size_t room = kCapacity - length_;
    std::size_t take = text.size() < room ? text.size() : room;
    CopyShort(buffer_ + length_, text.data(), take);
    length_ += take;
    buffer_[length_] = '\0';
    if (take < text.size()) truncated_ = true;
    return take == text.size();
  }
  // Listing lines are built a character at a time: no copy call for one byte.
  bool Append(char c) {
    if (length_ == kCapacity) {
      truncated_ = true;
      return false;
    }
    buffer_[length_++] = c;
    buffer_[length_] = '\0';
    return true;
  }

  // Cuts the text to `length` bytes (no effect when it is shorter).
  void Resize(std::size_t length) {
    if (length < length_) {
      length_ = length;
      buffer_[length_] = '\0';
    }
  }
  void Clear() {
    length_ = 0;
    buffer_[0] = '\0';
    truncated_ = false;
  }
  // After writing into data() directly (a platform call filling the buffer),
  // recount the text up to its terminator; the last byte is forced to zero.
  void Recount() {
    buffer_[kCapacity] = '\0';
    length_ = std::strlen(buffer_);
  }

  const char* c_str() const { return buffer_; }
  char* data() { return buffer_; }
  std::string_view view() const { return {buffer_, length_}; }
  std::size_t size() const { return length_; }
  bool empty() const { return length_ == 0; }
  bool truncated() const { return truncated_; }
  char operator[](std::size_t i) const { return i < length_ ? buffer_[i] : '\0'; }
  static constexpr std::size_t capacity() { return kCapacity; }

 private:
  char buffer_[N];
  std::size_t length_ = 0;
  bool truncated_ = false;
};
