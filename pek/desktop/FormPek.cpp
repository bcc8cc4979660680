#include "FormPek.h"

#include <FL/Fl_Window.H>

#include "platform/msg_box.h"

cPekDesktop::cPekDesktop() {
  for (int32_t n = 0; n < 4; ++n) {
    auto& f = pek_[static_cast<size_t>(n)];
    f = std::make_unique<platform::cPictureForm>();
    f->set_Hint(n == 0 ? "" : n == 2 ? "дв.клик-выбор/пр.клик-цвет" : "дв.клик-выбор");
    f->onClose = [this, n] { return on_Close(n); };
    f->onDoubleClick = [this, n] {
      if (!handlers) return;
      if (n == 0) {
        if (handlers->editing()) handlers->saveEditedPicture();
      } else if (handlers->finished()) {
        handlers->manual_Choice(n);
      }
    };
  }
  pek_[2]->onRightDown = [this](int32_t, int32_t, int32_t colour) {
    if (handlers && colour >= 0) handlers->startColorEdit(colour);
  };
  color_.onLabelClick = [this](int i) {
    if (handlers) handlers->applyColorEdit(i);
  };
  fon_.onSlider = [this](int32_t r, int32_t g, int32_t b) {
    if (handlers) handlers->setEditedColor(r, g, b);
  };
}

// Preview 0 during editing also leaves the editor; closing it before the end
// is refused like every preview.
bool cPekDesktop::on_Close(int32_t n) {
  if (!handlers) return true;
  switch (platform::close_Rule(n, handlers->finished(), handlers->editing())) {
    case platform::eCloseAct::refuse: return false;
    case platform::eCloseAct::close: return true;
    case platform::eCloseAct::quit: handlers->quit(); return true;
  }
  return false;
}

void cPekDesktop::show_Preview(int32_t n, const platform::cSurface& pic, const std::string& caption) {
  platform::cPictureForm& f = FormPek(n);
  const auto& bits = pic.bits();
  if (!f.set_Picture(bits.data(), pic.width(), pic.height(), pic.stride())) {
    platform::msg("err");
    return;
  }
  f.set_Caption(caption);
  // Beside the log window: the source, then the candidates two by two.
  if (!f.shown()) f.window()->position(660 + (n % 2) * (pic.width() + 20), 20 + (n / 2) * (pic.height() + 60));
  f.show();
}

void cPekDesktop::set_Caption(int32_t n, const std::string& caption) { FormPek(n).set_Caption(caption); }

void cPekDesktop::hide_Form(int32_t n) {
  if (n == kFormColor)
    color_.hide();
  else if (n == kFormFon)
    fon_.hide();
  else
    FormPek(n).hide();
}

void cPekDesktop::set_Label(int32_t i, int32_t colour, bool bordered, bool visible) {
  color_.set_Label(i, colour, bordered, visible);
}

void cPekDesktop::set_Label_Caption(int32_t i, const std::string& caption) { color_.set_Label_Caption(i, caption); }

void cPekDesktop::show_Palette() {
  fon_.hide();
  if (!color_.shown()) color_.window()->position(0, 460);
  color_.show();
}

void cPekDesktop::show_Fon(int32_t r, int32_t g, int32_t b) {
  fon_.set_Values(r, g, b);
  fon_.set_Texts(r, g, b);
  fon_.set_Sample(r + 256 * g + 65536 * b);
  fon_.set_Back(r + 256 * g + 65536 * b);
  color_.hide();
  if (!fon_.shown()) fon_.window()->position(340, 460);
  fon_.show();
}

void cPekDesktop::set_Fon(int32_t r, int32_t g, int32_t b, int32_t sample) {
  fon_.set_Texts(r, g, b);
  fon_.set_Sample(sample);
}
