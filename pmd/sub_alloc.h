// Unit allocator for the PPM model: one preallocated arena, 12-byte units,
// 38 size classes of 1..128 units with free lists. Everything is addressed by
// 32-bit offsets from the arena base (0 = none), so the model holds no
// pointer values and behaves the same on every run.
//
// Layout: [pad unit][text, growing up ... | units: stats growing up from
// unitsStart (loUnit), contexts growing down from the end (hiUnit)].
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace pmd {

constexpr uint32_t kUnitSize = 12;
constexpr int kSizeClasses = 38;

class cSubAlloc {
public:
  cSubAlloc() = default;
  ~cSubAlloc();
  cSubAlloc(const cSubAlloc&) = delete;
  cSubAlloc& operator=(const cSubAlloc&) = delete;

  // Reserves the arena (zero-filled); false when memory is not available.
  bool create(uint32_t bytes);
  // Empties the arena: text in the first eighth, units in the rest.
  void reset();

  uint8_t* base() const { return base_; }
  template <class T>
  T* at(uint32_t off) const { return reinterpret_cast<T*>(base_ + off); }
  uint32_t off(const void* p) const { return static_cast<uint32_t>(static_cast<const uint8_t*>(p) - base_); }

  uint32_t alloc_Context() {
    if (hiUnit_ != loUnit_) return hiUnit_ -= kUnitSize;
    if (freeHead_[0]) return pop(0);
    return alloc_Rare(0);
  }
  // `n` contexts from the top of the gap, taken in the order alloc_Context
  // would give them (downwards): returns the top, the first one being just
  // below it; 0 when the gap has less room.
  uint32_t alloc_Contexts(uint32_t n) {
    const uint32_t top = hiUnit_;
    if (top - loUnit_ < n * kUnitSize) return 0;
    hiUnit_ = top - n * kUnitSize;
    return top;
  }
  uint32_t alloc_Units(uint32_t nu) {
    int i = units2Indx_[nu - 1];
    if (freeHead_[i]) return pop(i);
    uint32_t bytes = indx2Units_[i] * kUnitSize;
    if (hiUnit_ - loUnit_ >= bytes) {
      uint32_t r = loUnit_;
      loUnit_ += bytes;
      return r;
    }
    return alloc_Rare(i);
  }
  // Grows a block of `oldNU` units by one unit; 0 when out of memory (the old
  // block is then untouched). Most often the block's class has room already.
  uint32_t expand_Units(uint32_t p, uint32_t oldNU) {
    if (units2Indx_[oldNU - 1] == units2Indx_[oldNU]) return p;
    return move_Units(p, oldNU);
  }
  uint32_t shrink_Units(uint32_t p, uint32_t oldNU, uint32_t newNU);
  void free_Units(uint32_t p, uint32_t nu) { push(p, units2Indx_[nu - 1]); }

  // Text area: one byte per coded symbol, up to unitsStart.
  uint32_t text() const { return text_; }
  uint32_t unitsStart() const { return unitsStart_; }
  // Appends a byte; false when the text area is full.
  bool put_Text(uint8_t b) {
    const uint32_t t = text_;  // read before the byte store, which may alias it
    base_[t] = b;
    text_ = t + 1;
    return t + 1 < unitsStart_;
  }
  void unput_Text() { --text_; }

private:
  static constexpr uint16_t kFreeStamp = 0xFFFF;
  struct cNode {
    uint16_t stamp;
    uint16_t unused;
    uint32_t next;
    uint32_t nu;
  };
  uint32_t pop(int i) {
    uint32_t r = freeHead_[i];
    freeHead_[i] = at<cNode>(r)->next;
    return r;
  }
  void push(uint32_t p, int i) {
    cNode* n = at<cNode>(p);
    n->stamp = kFreeStamp;
    n->next = freeHead_[i];
    n->nu = indx2Units_[i];
    freeHead_[i] = p;
  }
  uint32_t alloc_Rare(int i);
  uint32_t move_Units(uint32_t p, uint32_t oldNU);
  // Copies whole units (blocks are small: a loop beats a library call).
  void copy_Units(uint32_t to, uint32_t from, uint32_t nu) {
    uint8_t* d = base_ + to;
    const uint8_t* s = base_ + from;
    for (; nu; --nu, d += kUnitSize, s += kUnitSize) __builtin_memcpy(d, s, kUnitSize);
  }
  void split_Block(uint32_t p, int oldIndx, int newIndx);
  void glue_Free_Blocks();

  uint8_t* base_ = nullptr;
  size_t mapped_ = 0;  // length of a mapped arena, 0 for a heap one
  uint32_t size_ = 0;
  uint32_t text_ = 0, unitsStart_ = 0, loUnit_ = 0, hiUnit_ = 0;
  uint32_t freeHead_[kSizeClasses] = {};
  int32_t glueCount_ = 0;
  uint8_t indx2Units_[kSizeClasses] = {};
  uint8_t units2Indx_[128] = {};
};

}  // namespace pmd
