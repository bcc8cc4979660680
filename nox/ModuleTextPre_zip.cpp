#include "ModuleTextPre_zip.h"

#include <thread>
#include <vector>

#include "core/cFile.h"
#include "core/container.h"

namespace {

// PPMd of each order, the first on this thread and the second on another;
// each with a cFile of its own (the coder keeps no shared state).
std::vector<BB> pack_Orders(const BB& bb, const std::vector<int32_t>& orders) {
  std::vector<BB> out(orders.size());
  std::vector<cFile> files(orders.size());
  std::vector<std::thread> helpers;
  for (size_t i = 1; i < orders.size(); ++i)
    helpers.emplace_back([&, i] { out[i] = files[i].zip_Pmd(bb, orders[i], true); });
  if (!orders.empty()) out[0] = files[0].zip_Pmd(bb, orders[0], true);
  for (auto& h : helpers) h.join();
  return out;
}

}  // namespace

BB zip_Auto_Fast2(const BB& bb_in, int32_t& bestMetod) {
  cFile file;
  if (bb_in.empty() || bb_in.size() >= static_cast<size_t>(container::kMaxInput))
    return file.zip_Auto(bb_in, bestMetod, true);  // its messages, its neutral result
  std::vector<BB> first = pack_Orders(bb_in, {4, 3});
  BB best = std::move(first[0]);
  bestMetod = 4;
  if (best.empty()) {
    best = file.zip_No(bb_in);
    bestMetod = 0;
    if (best.empty()) return file.zip_Auto(bb_in, bestMetod, true);
  }
  // Orders 3, then 2, while each is no larger.
  BB c3 = std::move(first[1]);
  if (!c3.empty() && c3.size() <= best.size()) {
    best = std::move(c3);
    bestMetod = 3;
    BB c2 = file.zip_Pmd(bb_in, 2, true);
    if (!c2.empty() && c2.size() <= best.size()) {
      best = std::move(c2);
      bestMetod = 2;
    }
  }
  if (bestMetod != 4 && bestMetod != 0) return best;
  // Orders 5..16 until the size grew four times in a row, two at a time;
  // what was packed past the stop is dropped.
  size_t prev = static_cast<size_t>(container::kMaxInput);
  int growing = 0;
  for (int32_t k = 5; k <= 16 && growing < 4; k += 2) {
    std::vector<int32_t> orders{k};
    if (k + 1 <= 16) orders.push_back(k + 1);
    std::vector<BB> cs = pack_Orders(bb_in, orders);
    for (size_t i = 0; i < cs.size() && growing < 4; ++i) {
      BB& c = cs[i];
      if (!c.empty() && c.size() <= best.size()) {
        best = c;
        bestMetod = orders[i];
      }
      growing = c.size() > prev ? growing + 1 : 0;
      prev = c.size();
    }
  }
  return best;
}
