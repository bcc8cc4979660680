// The compressed container: method 0 (stored), the dispatch of every method
// number, the method searches of zip_Auto and the size table of min_NoAriPmd.
#include <string>

#include "cFile.h"
#include "msg_box.h"

using platform::msg;

namespace {
const int32_t kMaxInput = 16777216;  // the container's input limit (16 MB)
}

// ---------------------------------------------------------------- logging link

bool cFile::AddObjectReference(CbClientClass* Caller) {
  caller = Caller;
  flagConnected = (caller != nullptr);
  return flagConnected;
}

bool cFile::DropObjectReference(CbClientClass* Caller) {
  if (Caller == nullptr || Caller != caller) return false;
  flagConnected = false;
  caller = nullptr;
  return true;
}

bool cFile::setFlagLog(bool flagLog0) {
  bool old = flagLog;
  flagLog = flagLog0;
  return old;
}

bool cFile::setFlagLogPmd(bool flagLogPmd0) {
  bool old = flagLogPmd;
  flagLogPmd = flagLogPmd0;
  return old;
}

void cFile::send_Msg(const std::string& sMsg) {
  if (sMsg.empty() || !flagLog || !flagConnected || caller == nullptr) return;
  caller->TellMsg(sMsg);
}

// ---------------------------------------------------------------- method 0

BB cFile::zip_No(const BB& bb) {
  BB out;
  out.reserve(bb.size() + 2);
  out.push_back(0);
  out.push_back(0);
  out.insert(out.end(), bb.begin(), bb.end());
  out[1] = static_cast<uint8_t>(make_ks(out, 2));
  return out;
}

BB cFile::unzip_No(const BB& bb_in, int32_t& vErr) {
  vErr = 0;
  if (bb_in.empty()) {
    msg("пустой массив");
    vErr = -1;
    return {};
  }
  if (bb_in[0] != 0) {
    msg("метод не 0");
    vErr = -2;
    return {};
  }
  if (bb_in.size() < 2 || bb_in[1] != make_ks(bb_in, 2)) vErr = -3;
  int32_t p = 2;
  return m.blok_BB(bb_in, p, m.len_BB(bb_in) - 2);
}

// ---------------------------------------------------------------- the search

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

// ---------------------------------------------------------------- dispatch

namespace {

// Drops the padding zeros and the end marker 1 that zip_Auto appended before
// pairing the bytes. A missing marker means the tail is damaged.
BB strip_End_Marker(BB data, int32_t& vErr) {
  size_t end = data.size();
  while (end > 0 && data[end - 1] == 0) --end;
  if (end == 0 || data[end - 1] != 1) {
    msg("поврежден конец архива");
    vErr = -5;
  }
  data.resize(end == 0 ? 0 : end - 1);
  return data;
}

}  // namespace

BB cFile::unzip_Auto(const BB& bb_in, int32_t& vErr) {
  vErr = 0;
  if (bb_in.empty()) return unzip_No(bb_in, vErr);
  const int32_t metod = bb_in[0] & 31;
  const int32_t mode = (bb_in[0] >> 5) & 3;
  BB out;
  if (metod == 0) {
    out = unzip_No(bb_in, vErr);
  } else if (metod == 1) {
    out = unzip_Ari(bb_in, vErr);
  } else if (metod <= 16) {
    out = unzip_Pmd(bb_in, vErr);
  } else if (metod == 31) {
    TT values = unzip_Ari16_4k(bb_in, vErr);
    if (values.empty()) return {};
    BB bytes = m.M16_to_M8(values);
    if (bytes.empty()) return {};
    out = strip_End_Marker(std::move(bytes), vErr);
  } else {
    msg("неизвестный метод 17-30");
    vErr = -2;
    return {};
  }
  if (mode != 0) msg("пока отключено");
  return out;
}

// ---------------------------------------------------------------- size table

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
