#include "config/server_list_ref.h"

#include <cstring>
#include <new>

#include "platform/heap.h"

namespace hvn {

struct ServerListBlock {
  std::atomic<uint32_t> references;
  uint32_t size;
  char* Bytes() { return reinterpret_cast<char*>(this + 1); }
};

namespace {

void AddReference(ServerListBlock* block) {
  if (block != nullptr) block->references.fetch_add(1, std::memory_order_relaxed);
}

void DropReference(ServerListBlock* block) {
  if (block == nullptr) return;
  if (block->references.fetch_sub(1, std::memory_order_acq_rel) == 1) {
    block->~ServerListBlock();
    platform::HeapRelease(block);
  }
}

}  // namespace

ServerListRef::~ServerListRef() {
  DropReference(block_);
}

ServerListRef::ServerListRef(const ServerListRef& other) : block_(other.block_) {
  AddReference(block_);
}

ServerListRef& ServerListRef::operator=(const ServerListRef& other) {
  if (this != &other) {
    AddReference(other.block_);
    DropReference(block_);
    block_ = other.block_;
  }
  return *this;
}

ServerListRef::ServerListRef(ServerListRef&& other) noexcept : block_(other.block_) {
  other.block_ = nullptr;
}

ServerListRef& ServerListRef::operator=(ServerListRef&& other) noexcept {
  if (this != &other) {
    DropReference(block_);
    block_ = other.block_;
    other.block_ = nullptr;
  }
  return *this;
}

const char* ServerListRef::Get() const {
  return block_ != nullptr ? block_->Bytes() : nullptr;
}

uint32_t ServerListRef::Size() const {
  return block_ != nullptr ? block_->size : 0;
}

char* ServerListRef::MutableData() {
  return block_ != nullptr ? block_->Bytes() : nullptr;
}

ServerListRef ServerListRef::Allocate(uint32_t size) {
  // Header, the bytes, and two zero bytes that end the list even when the value lacks them.
  if (size > UINT32_MAX - sizeof(ServerListBlock) - 2) return ServerListRef();
  void* memory = platform::HeapAllocZeroed(sizeof(ServerListBlock) + size + 2);
  if (memory == nullptr) return ServerListRef();
  ServerListBlock* block = new (memory) ServerListBlock{};
  block->references.store(1, std::memory_order_relaxed);
  block->size = size;
  return ServerListRef(block);
}

ServerListRef ServerListRef::Create(const void* data, uint32_t size) {
  ServerListRef list = Allocate(size);
  if (list && size != 0) std::memcpy(list.MutableData(), data, size);
  return list;
}

}  // namespace hvn
