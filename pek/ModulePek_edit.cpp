// The windows' handlers: the manual choice of a type after the end, and the
// colour editor of the type 2 candidate (pick a colour in preview 2, move its
// codes to other palette entries or to transparency, adjust the exact colour,
// watch the result in preview 0, save it as "new2.pek" beside the input).
#include <algorithm>

#include "ModulePek_run.h"
#include "platform/msg_box.h"

namespace {

const char* const kChoiceTitle = "Ручной выбор типа";

}  // namespace

// Only a work file of this run may become the output: the encoder removes
// the old ones before it starts.
void cPekRun::manual_Choice(int32_t n) {
  if (!form.flagFinished || n < 1 || n > 3 || outName.empty()) return;
  const std::string work = work_File(n);
  if (!file.exist_File(work)) {
    platform::msg("тип=" + std::to_string(n) + " в этом запуске не получен", kChoiceTitle);
    return;
  }
  file.del_File(outName);
  file.copy_File(work, outName);
  if (file.len_File(outName) != file.len_File(work)) {
    file.del_File(outName);
    platform::msg("не записан: " + outName, kChoiceTitle);
    return;
  }
  platform::msg("тип=" + std::to_string(n) + " Готово.", kChoiceTitle);
}

// Editing reworks the picture object, so it waits for the end of the main
// flow; once saved the editor stays closed.
void cPekRun::startColorEdit(int32_t c) {
  if (!form.flagFinished || edit.saved || !file.exist_File(work_File(2))) return;
  if (!edit.open) {
    form.flagBusy = true;
    log_Msg("<STOP!>");
    log_Msg("Идёт редактирование цвета");
    win->set_Caption(2, "2:исправляем цвет");
    win->set_Caption(0, "2:результат");
    win->hide_Form(1);
    win->hide_Form(3);
    restore_State();
    const BB bytes = im.bmp_to_pek2(true);
    if (bytes.size() < 11) {  // the object has said why
      form.flagBusy = false;
      return;
    }
    edit.kod = bytes[0];
    edit.g.assign(bytes.begin() + 1, bytes.begin() + 11);
    edit.pole = im.get_PolePix();
    const BB& g = edit.g;
    edit.k = g[6];
    int32_t r = g[7], gg = g[8], b = g[9];
    edit.exact = im.rgb_to_N24(r, gg, b);
    edit.pal = im.get_din_Pal(g[0], g[1], g[2], 255 - g[3], 255 - g[4], 255 - g[5]);
    // Entry k is shown and saved as the exact colour.
    if (edit.k < static_cast<int32_t>(edit.pal.size())) edit.pal[static_cast<size_t>(edit.k)] = edit.exact;
    edit.open = true;
  }
  edit.used.fill(false);
  for (uint8_t v : edit.pole) edit.used[v] = true;
  win->set_Label(edit.kExact, edit.exact, false, true);
  win->set_Label_Caption(edit.kExact, std::to_string(edit.k));
  if (c == edit.exact) {
    int32_t r, g, b;
    im.N24_to_rgb(c, r, g, b);
    win->show_Fon(r, g, b);
    return;
  }
  const int32_t size = static_cast<int32_t>(edit.pal.size());
  for (int32_t i = 0; i < 256; ++i) {
    if (i >= size || i == edit.k) {
      win->set_Label(i, 0, false, false);
      continue;
    }
    const int32_t colour = i == edit.kod && edit.kod > 0 ? edit.kMarker : edit.pal[static_cast<size_t>(i)];
    win->set_Label(i, colour, edit.used[static_cast<size_t>(i)], true);
    if (colour == c) {
      edit.selected = i;
      win->set_Label(edit.kSelected, colour, false, true);
      win->set_Label_Caption(edit.kSelected, std::to_string(i));
    }
  }
  win->show_Palette();
}

void cPekRun::applyColorEdit(int32_t q) {
  if (!edit.open || edit.saved) return;
  int32_t p = edit.selected;
  if (p < 0) return;  // no colour picked yet
  if (p == edit.kExact || q == edit.kExact) {
    platform::msg("err 257");
    return;
  }
  if (q < 0 || q > edit.kTransparent || q == edit.kSelected) return;
  const int32_t clicked = q;
  if (q == edit.kTransparent) {
    if (edit.kod == 0) {
      for (int32_t v = 1; v < 256 && edit.kod == 0; ++v)
        if (std::find(edit.pole.begin(), edit.pole.end(), static_cast<uint8_t>(v)) == edit.pole.end()) edit.kod = v;
    }
    q = edit.kod;
  }
  if (p == edit.kTransparent) {
    if (edit.kod == 0) {
      platform::msg("err?");
      return;
    }
    p = edit.kod;
  }
  if (q >= static_cast<int32_t>(edit.pal.size()) && q != edit.kod) return;  // no such entry
  std::replace(edit.pole.begin(), edit.pole.end(), static_cast<uint8_t>(p), static_cast<uint8_t>(q));
  redraw_Edited();
  edit.selected = clicked;
  const bool marker = clicked == edit.kTransparent || (edit.kod > 0 && clicked == edit.kod);
  const int32_t colour = marker ? edit.kMarker : edit.pal[static_cast<size_t>(clicked)];
  win->set_Label(edit.kSelected, colour, false, true);
  win->set_Label_Caption(edit.kSelected, std::to_string(clicked));
}

void cPekRun::setEditedColor(int32_t r, int32_t g, int32_t b) {
  if (!edit.open || edit.saved) return;
  edit.exact = im.rgb_to_N24(r, g, b);
  if (edit.k < static_cast<int32_t>(edit.pal.size())) edit.pal[static_cast<size_t>(edit.k)] = edit.exact;
  redraw_Edited();
  win->set_Fon(r, g, b, edit.exact);
  win->set_Label(edit.kExact, edit.exact, false, true);
}

// The edited codes through the palette into preview 0.
void cPekRun::redraw_Edited() {
  const size_t n = static_cast<size_t>(int64_t{picW} * picH);
  if (edit.pole.size() != n || n == 0) return;
  TT pal = edit.pal;
  pal.resize(256, 0);
  if (edit.kod > 0) pal[static_cast<size_t>(edit.kod)] = edit.kMarker;
  TT colours(n);
  for (size_t i = 0; i < n; ++i) colours[i] = pal[edit.pole[i]];
  cPreview& p0 = preview[0];
  if (p0.box.surface().width() != picW || p0.box.surface().height() != picH) p0.box.resize(picW, picH);
  im.fast_put_Pic(colours, p0.box.surface(), picW, picH);
  p0.caption = "2:результат";
  win->show_Preview(0, p0.box.surface(), p0.caption);
}

void cPekRun::saveEditedPicture() {
  if (!edit.open || edit.saved || !form.flagBusy) return;
  win->hide_Form(0);
  win->hide_Form(2);
  win->hide_Form(cPekWindows::kFormFon);
  win->hide_Form(cPekWindows::kFormColor);
  log_Msg("сохраняю изменённый рисунок");
  int32_t r, g, b;
  im.N24_to_rgb(edit.exact, r, g, b);
  edit.g[7] = static_cast<uint8_t>(r);
  edit.g[8] = static_cast<uint8_t>(g);
  edit.g[9] = static_cast<uint8_t>(b);
  const BB bytes = im.bmp_to_pek2_end(edit.kod, edit.g, edit.pole);
  log_Msg("");
  const std::string name = curPath + "new2.pek";
  file.write_M8(name, bytes);
  log_Msg("Изменённый тип2 сохранён=" + name + " (" + std::to_string(bytes.size()) + ")");
  edit.saved = true;
  form.flagFinished = true;
  form.flagBusy = false;
}

// Closing a window after the end leaves the editor unsaved and ends the run.
void cPekRun::quit() {
  form.flagBusy = false;
  form.quit_App();
}
