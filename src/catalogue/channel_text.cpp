#include "catalogue/channel_text.h"

#include "common/large_pages.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

namespace vistrel {

namespace {

void DropUser(TextBlock* block, std::size_t count = 1) noexcept {
  if (block->users.fetch_sub(count, std::memory_order_acq_rel) == count) {
    block->~TextBlock();
    std::free(block);
  }
}

}  // namespace

TextBlockHold TextBlockHold::Allocate(std::size_t size) {
  // A whole inflated table is filled once and read for good: huge pages spare it most of its
  // page faults.
  void* memory = AllocateLargeBlock(sizeof(TextBlock) + size);
  auto* block = new (memory) TextBlock;
  block->size = size;
  return TextBlockHold(block);
}

TextBlockHold TextBlockHold::CopyOf(std::string_view text) {
  TextBlockHold hold = Allocate(text.size());
  if (!text.empty()) std::memcpy(hold.data(), text.data(), text.size());
  return hold;
}

TextBlockHold::TextBlockHold(const TextBlockHold& other) noexcept : block_(other.block_) {
  if (block_) block_->users.fetch_add(1, std::memory_order_relaxed);
}

TextBlockHold::~TextBlockHold() {
  if (block_) DropUser(block_);
}

ChannelText::ChannelText(std::string_view text) {
  if (text.empty()) return;
  if (text.size() >= UINT32_MAX) throw std::length_error("A channel text of 4 GiB or more");
  TextBlockHold hold = TextBlockHold::CopyOf(text);
  TextBlock* block = hold.get();
  block->users.fetch_add(1, std::memory_order_relaxed);  // this text's; the hold's goes below
  *this = ChannelText(block, hold.view());
}

ChannelText::ChannelText(const ChannelText& other) noexcept
    : data_(other.data_), size_(other.size_), offset_(other.offset_) {
  if (size_ != 0) Block()->users.fetch_add(1, std::memory_order_relaxed);
}

void ChannelText::Release() noexcept {
  DropUser(Block());
}

TextMaker::~TextMaker() {
  if (credit_ != 0) DropUser(block_.get(), credit_);
}

}  // namespace vistrel
