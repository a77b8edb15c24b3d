#pragma once
// The texts of a channel record. A loaded catalogue keeps hundreds of thousands of channels of
// four or five texts each: as heap strings that is millions of small allocations, so a text
// here is a view into a shared block instead, most often the table's own inflated bytes, freed
// with the last text that uses it. A text set from a string gets a block of its own. Texts never
// change in place: setting one replaces it, copying one shares its block, moving one moves the
// view, so records sort without touching their texts.

#include <atomic>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

namespace vistrel {

// Bytes shared by texts, with the count of their users.
struct TextBlock {
  std::atomic<std::size_t> users{1};
  std::size_t size = 0;
  char* bytes() { return reinterpret_cast<char*>(this + 1); }
};

// One user's hold on a text block: the block is freed when the last hold and the last text in
// it go.
class TextBlockHold {
 public:
  TextBlockHold() = default;
  // A new block of `size` bytes, not cleared. Throws std::bad_alloc.
  static TextBlockHold Allocate(std::size_t size);
  // A new block holding a copy of `text`. Throws std::bad_alloc.
  static TextBlockHold CopyOf(std::string_view text);

  TextBlockHold(const TextBlockHold& other) noexcept;
  TextBlockHold(TextBlockHold&& other) noexcept : block_(other.block_) { other.block_ = nullptr; }
  TextBlockHold& operator=(TextBlockHold other) noexcept {
    std::swap(block_, other.block_);
    return *this;
  }
  ~TextBlockHold();

  char* data() const { return block_ ? block_->bytes() : nullptr; }
  std::size_t size() const { return block_ ? block_->size : 0; }
  std::string_view view() const { return {data(), size()}; }
  TextBlock* get() const { return block_; }
  explicit operator bool() const { return block_ != nullptr; }

 private:
  explicit TextBlockHold(TextBlock* block) : block_(block) {}
  TextBlock* block_ = nullptr;
};

class ChannelText {
 public:
  ChannelText() noexcept = default;
  // A copy of `text` in a block of its own. Throws std::bad_alloc, and std::length_error for a
  // text of 4 GiB or more.
  ChannelText(std::string_view text);  // NOLINT: set from any string, as a std::string would
  ChannelText(const std::string& text) : ChannelText(std::string_view(text)) {}  // NOLINT
  ChannelText(const char* text) : ChannelText(std::string_view(text)) {}         // NOLINT

  ChannelText(const ChannelText& other) noexcept;
  ChannelText(ChannelText&& other) noexcept
      : data_(other.data_), size_(other.size_), offset_(other.offset_) {
    other.data_ = kEmpty;
    other.size_ = 0;
  }
  ChannelText& operator=(const ChannelText& other) noexcept {
    ChannelText copy(other);
    Swap(copy);
    return *this;
  }
  ChannelText& operator=(ChannelText&& other) noexcept {
    ChannelText taken(std::move(other));
    Swap(taken);
    return *this;
  }
  ~ChannelText() {
    if (size_ != 0) Release();
  }

  const char* data() const { return data_; }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  std::string_view view() const { return {data_, size_}; }
  operator std::string_view() const { return view(); }          // NOLINT: reads as a string
  operator std::string() const { return std::string(view()); }  // NOLINT
  std::string str() const { return std::string(view()); }
  const char* begin() const { return data_; }
  const char* end() const { return data_ + size_; }
  char operator[](std::size_t at) const { return data_[at]; }
  bool starts_with(std::string_view prefix) const { return view().starts_with(prefix); }
  bool ends_with(std::string_view suffix) const { return view().ends_with(suffix); }
  std::size_t find(std::string_view text, std::size_t from = 0) const {
    return view().find(text, from);
  }
  void clear() noexcept { *this = ChannelText(); }

  friend bool operator==(const ChannelText& a, const ChannelText& b) {
    return a.view() == b.view();
  }
  template <typename Text>
  requires std::convertible_to<const Text&, std::string_view>
  friend bool operator==(const ChannelText& a, const Text& b) {
    return a.view() == std::string_view(b);
  }
  friend auto operator<=>(const ChannelText& a, const ChannelText& b) {
    return a.view() <=> b.view();
  }
  friend std::ostream& operator<<(std::ostream& out, const ChannelText& text) {
    return out << text.view();
  }
  friend std::string operator+(std::string a, const ChannelText& b) { return a += b.view(); }
  friend std::string operator+(const ChannelText& a, std::string_view b) {
    return std::string(a.view()) += b;
  }

 private:
  friend class TextMaker;
  static constexpr const char* kEmpty = "";
  // `part` lies in `block`, which has already counted this text among its users.
  ChannelText(TextBlock* block, std::string_view part)
      : data_(part.data()),
        size_(static_cast<std::uint32_t>(part.size())),
        offset_(static_cast<std::uint32_t>(part.data() - block->bytes())) {}
  TextBlock* Block() const {
    return reinterpret_cast<TextBlock*>(const_cast<char*>(data_) - offset_) - 1;
  }
  void Release() noexcept;
  void Swap(ChannelText& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    std::swap(offset_, other.offset_);
  }

  // An empty text points at kEmpty and uses no block; any other lies `offset_` bytes into its
  // block's bytes.
  const char* data_ = kEmpty;
  std::uint32_t size_ = 0;
  std::uint32_t offset_ = 0;
};

// Makes the texts of a table's records as views into one block, which its caller keeps
// unchanged while they are made. Users are counted into the block in batches rather than one
// atomic step per text. Not for use by several threads at once.
class TextMaker {
 public:
  explicit TextMaker(TextBlockHold block) : block_(std::move(block)) {}
  TextMaker(const TextMaker&) = delete;
  TextMaker& operator=(const TextMaker&) = delete;
  ~TextMaker();

  const TextBlockHold& block() const { return block_; }

  // A text of `part`, which lies in block(); empty parts use no block. Does not fail.
  ChannelText Share(std::string_view part) {
    if (part.empty()) return ChannelText();
    if (credit_ == 0) {
      block_.get()->users.fetch_add(kBatch, std::memory_order_relaxed);
      credit_ = kBatch;
    }
    --credit_;
    return ChannelText(block_.get(), part);
  }

 private:
  static constexpr std::size_t kBatch = 4096;
  TextBlockHold block_;
  std::size_t credit_ = 0;
};

}  // namespace vistrel
