#include "sub_alloc.h"

#include <sys/mman.h>

#include <cstdlib>

namespace pmd {

namespace {

// Arenas are mapped directly: fresh zero pages cost only where the model
// touches them, whereas a calloc that reuses heap memory clears the whole
// arena on every call (the container's search codes the same data at many
// orders in one process). From 16 MiB on they are asked for huge pages: the
// model reaches all over the arena, and 2 MiB pages spare most TLB misses.
constexpr size_t kHugeFrom = size_t(16) << 20;
constexpr size_t kHugePage = size_t(2) << 20;

uint8_t* arena_Alloc(size_t bytes, size_t& mapped) {
  mapped = 0;
  const size_t page = bytes >= kHugeFrom ? kHugePage : 4096;
  const size_t len = (bytes + page - 1) / page * page;
  void* p = mmap(nullptr, len, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p != MAP_FAILED) {
#ifdef MADV_HUGEPAGE
    if (page == kHugePage) madvise(p, len, MADV_HUGEPAGE);
#endif
    mapped = len;
    return static_cast<uint8_t*>(p);
  }
  return static_cast<uint8_t*>(std::calloc(bytes, 1));
}

void arena_Free(uint8_t* p, size_t mapped) {
  if (mapped)
    munmap(p, mapped);
  else
    std::free(p);
}

}  // namespace

cSubAlloc::~cSubAlloc() { arena_Free(base_, mapped_); }

bool cSubAlloc::create(uint32_t bytes) {
  // Size classes: 1-4 units in steps of 1, then steps of 2, 3, and 4 up to 128.
  int k = 0;
  for (int i = 0, n = 1; i < kSizeClasses; ++i) {
    indx2Units_[i] = static_cast<uint8_t>(n);
    n += (i < 3) ? 1 : (i < 7) ? 2 : (i < 11) ? 3 : 4;
  }
  for (int nu = 1; nu <= 128; ++nu) {
    if (indx2Units_[k] < nu) ++k;
    units2Indx_[nu - 1] = static_cast<uint8_t>(k);
  }
  bytes = (bytes / kUnitSize) * kUnitSize;
  if (base_ == nullptr || size_ != bytes) {
    arena_Free(base_, mapped_);
    // Zero pages from the system, so no byte is ever undefined.
    base_ = arena_Alloc(bytes + kUnitSize, mapped_);
    size_ = base_ ? bytes : 0;
  }
  return base_ != nullptr;
}

void cSubAlloc::reset() {
  std::memset(freeHead_, 0, sizeof(freeHead_));
  glueCount_ = 0;
  text_ = kUnitSize;  // offset 0 stays "none"
  hiUnit_ = kUnitSize + size_;
  unitsStart_ = loUnit_ = hiUnit_ - size_ / 8 / kUnitSize * 7 * kUnitSize;
}

void cSubAlloc::split_Block(uint32_t p, int oldIndx, int newIndx) {
  uint32_t rest = indx2Units_[oldIndx] - indx2Units_[newIndx];
  p += indx2Units_[newIndx] * kUnitSize;
  int i = units2Indx_[rest - 1];
  if (indx2Units_[i] != rest) {
    --i;  // the class just below fits; the remainder goes in its own list
    uint32_t k = indx2Units_[i];
    push(p, i);
    p += k * kUnitSize;
    rest -= k;
    i = units2Indx_[rest - 1];
  }
  push(p, i);
}

// Merges neighbouring free blocks in place. Every free block is stamped and
// chained; each block then absorbs the stamped blocks that follow it in
// memory, and the merged runs are cut back into size classes. A block in use
// never starts with the stamp: contexts start with a symbol count <= 256,
// symbol arrays with a symbol and a frequency below 255.
void cSubAlloc::glue_Free_Blocks() {
  uint32_t head = 0;
  auto chain = [&](uint32_t p, uint32_t nu) {
    cNode* n = at<cNode>(p);
    n->stamp = kFreeStamp;
    n->nu = nu;
    n->next = head;
    head = p;
  };
  if (loUnit_ != hiUnit_) {  // the unused gap between the two growing ends
    chain(loUnit_, (hiUnit_ - loUnit_) / kUnitSize);
    loUnit_ = hiUnit_;
  }
  for (int i = 0; i < kSizeClasses; ++i) {
    for (uint32_t p = freeHead_[i]; p;) {
      uint32_t nx = at<cNode>(p)->next;
      chain(p, indx2Units_[i]);
      p = nx;
    }
    freeHead_[i] = 0;
  }
  const uint32_t end = kUnitSize + size_;  // end of the unit area
  for (uint32_t p = head; p; p = at<cNode>(p)->next) {
    cNode* n = at<cNode>(p);
    if (n->nu == 0) continue;
    for (;;) {
      uint32_t q = p + n->nu * kUnitSize;
      if (q >= end) break;
      cNode* m = at<cNode>(q);
      if (m->stamp != kFreeStamp || m->nu == 0) break;
      n->nu += m->nu;
      m->nu = 0;
    }
  }
  // Drop the absorbed blocks from the chain before their memory is reused.
  uint32_t kept = 0;
  for (uint32_t p = head; p;) {
    cNode* n = at<cNode>(p);
    uint32_t nx = n->next;
    if (n->nu != 0) {
      n->next = kept;
      kept = p;
    }
    p = nx;
  }
  for (uint32_t p = kept; p;) {
    cNode* n = at<cNode>(p);
    uint32_t nx = n->next;
    uint32_t nu = n->nu;
    for (; nu > 128; nu -= 128, p += 128 * kUnitSize) push(p, kSizeClasses - 1);
    int i = units2Indx_[nu - 1];
    if (indx2Units_[i] != nu) {
      --i;
      uint32_t k = indx2Units_[i];
      push(p, i);
      p += k * kUnitSize;
      nu -= k;
      i = units2Indx_[nu - 1];
    }
    push(p, i);
    p = nx;
  }
}

uint32_t cSubAlloc::alloc_Rare(int indx) {
  if (glueCount_ == 0) {
    glueCount_ = 255;
    glue_Free_Blocks();
    if (freeHead_[indx]) return pop(indx);
  }
  for (int i = indx + 1; i < kSizeClasses; ++i) {
    if (freeHead_[i]) {
      uint32_t r = pop(i);
      split_Block(r, i, indx);
      return r;
    }
  }
  --glueCount_;
  uint32_t bytes = indx2Units_[indx] * kUnitSize;
  // Keep a unit of slack above the text: references into the text may point
  // one byte past its end and must stay below every unit.
  if (unitsStart_ - text_ > bytes + kUnitSize) {
    unitsStart_ -= bytes;
    return unitsStart_;
  }
  return 0;
}

uint32_t cSubAlloc::move_Units(uint32_t p, uint32_t oldNU) {
  uint32_t q = alloc_Units(oldNU + 1);
  if (q) {
    copy_Units(q, p, oldNU);
    push(p, units2Indx_[oldNU - 1]);
  }
  return q;
}

uint32_t cSubAlloc::shrink_Units(uint32_t p, uint32_t oldNU, uint32_t newNU) {
  int i0 = units2Indx_[oldNU - 1], i1 = units2Indx_[newNU - 1];
  if (i0 == i1) return p;
  if (freeHead_[i1]) {
    uint32_t q = pop(i1);
    copy_Units(q, p, newNU);
    push(p, i0);
    return q;
  }
  split_Block(p, i0, i1);
  return p;
}

}  // namespace pmd
