// The method searches: zip_Auto (fast and full) and the size table of
// min_NoAriPmd.
#include <string>

#include "cFile.h"
#include "container.h"
#include "platform/msg_box.h"

using platform::msg;
using container::kMaxInput;
namespace {
std::string size_Line(int32_t metod, size_t len) { return std::to_string(metod) + "=" + std::to_string(len); }
}  // namespace

BB cFile::zip_Auto(const BB& bb_in, int32_t& bestMetod, bool flagFast) {
  if (bb_in.empty()) {
    msg("пустой массив не сохраняю");
    return {};
  }
  if (bb_in.size() >= static_cast<size_t>(kMaxInput)) {
    msg("макс 16мб-ограничение этого кодера");
    return {};
  }
  auto logLine = [&](const std::string& s) {
    if (flagLogPmd) send_Msg(s);
  };

  if (flagFast) {
    BB best = zip_Pmd(bb_in, 4, true);
    bestMetod = 4;
    logLine(size_Line(4, best.size()));
    if (best.empty()) {
      best = zip_No(bb_in);
      bestMetod = 0;
      logLine(size_Line(0, best.size()));
      if (best.empty()) {
        msg("err zipAuto");
        return {};
      }
    }
    // Lower orders: 3, and 2 only when 3 was at least as good.
    for (int32_t k = 3; k >= 2; --k) {
      BB c = zip_Pmd(bb_in, k, true);
      if (!c.empty()) logLine(size_Line(k, c.size()));
      if (c.empty() || c.size() > best.size()) break;
      best = std::move(c);
      bestMetod = k;
    }
    // Higher orders, until four results in a row grew.
    if (bestMetod == 4 || bestMetod == 0) {
      size_t prev = static_cast<size_t>(kMaxInput);
      int growing = 0;
      for (int32_t k = 5; k <= 16 && growing < 4; ++k) {
        BB c = zip_Pmd(bb_in, k, true);
        if (!c.empty()) logLine(size_Line(k, c.size()));
        if (!c.empty() && c.size() <= best.size()) {
          best = c;
          bestMetod = k;
        }
        growing = c.size() > prev ? growing + 1 : 0;
        prev = c.size();
      }
    }
    return best;
  }

  BB best = zip_No(bb_in);
  bestMetod = 0;
  logLine("0=" + std::to_string(best.size()));
  auto consider = [&](BB&& c, int32_t metod) {
    if (!c.empty() && c.size() < best.size()) {
      best = std::move(c);
      bestMetod = metod;
    }
  };
  {
    BB c = zip_Ari(bb_in);
    logLine(size_Line(1, c.size()));
    consider(std::move(c), 1);
  }
  for (int32_t k = 2; k <= 16; ++k) {
    BB c = zip_Pmd(bb_in, k, true);
    if (!c.empty()) logLine(size_Line(k, c.size()));
    consider(std::move(c), k);
  }
  // 16-bit arithmetic over the bytes paired, with the end marker 1 appended.
  BB marked = bb_in;
  m.add_N_to_BB(marked, 1);
  TT pairs = m.M8_to_M16(marked);
  if (!pairs.empty() && m.max_TT(pairs) < 4096) {
    BB c = zip_Ari16_4k(pairs);
    if (!c.empty()) logLine("Ari16:31=" + std::to_string(c.size()));
    consider(std::move(c), 31);
  }
  return best;
}

void cFile::min_NoAriPmd(const BB& bb, int32_t& bestMetod, int32_t& vMinSize, TT& aa) {
  aa.assign(17, 0);
  aa[0] = add_Checked(static_cast<int64_t>(bb.size()), 2);
  aa[1] = add_Checked(static_cast<int64_t>(zip_Ari(bb).size()), 2);
  for (int32_t k = 2; k <= 16; ++k) aa[k] = static_cast<int32_t>(zip_Pmd(bb, k, true).size());
  m.replace_TT_N1_N2(aa, 0, kMaxInput);  // refused methods count as the largest size
  bestMetod = 0;
  vMinSize = aa[0];
  for (int32_t k = 1; k <= 16; ++k)
    if (aa[k] < vMinSize) {
      vMinSize = aa[k];
      bestMetod = k;
    }
}
