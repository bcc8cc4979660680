#include "preview_fltk.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Output.H>
#include <FL/Fl_Slider.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>

#include <vector>

namespace platform {

namespace {

Fl_Color fl_Colour(int32_t c) {
  return fl_rgb_color(static_cast<uchar>(c & 255), static_cast<uchar>((c >> 8) & 255),
                      static_cast<uchar>((c >> 16) & 255));
}

// Sizing of every preview: the window is the picture plus 7 by 30 pixels.
const int kExtraW = 7, kExtraH = 30;
const int kMaxSide = 16384;

}  // namespace

// ------------------------------------------------------------------ cPictureForm

class cPictureBox : public Fl_Widget {
public:
  cPictureBox(cPictureForm& form) : Fl_Widget(0, 0, 1, 1), form_(form) {}
  std::vector<uchar> rgb;  // rows top first
  void draw() override {
    if (rgb.empty()) return;
    fl_draw_image(rgb.data(), x(), y(), w(), h(), 3);
  }
  int handle(int e) override;

private:
  cPictureForm& form_;
};

struct cPictureForm::cImpl {
  Fl_Window* win = nullptr;
  cPictureBox* box = nullptr;
  Fl_Box* hint = nullptr;
  std::string caption, hintText;
};

int cPictureBox::handle(int e) {
  if (e != FL_PUSH) return Fl_Widget::handle(e);
  const int px = Fl::event_x() - x(), py = Fl::event_y() - y();
  if (Fl::event_button() == FL_RIGHT_MOUSE) {
    if (form_.onRightDown) form_.onRightDown(px, py, form_.colour_At(px, py));
  } else if (Fl::event_button() == FL_LEFT_MOUSE && Fl::event_clicks() > 0) {
    Fl::event_clicks(0);  // a third click starts a new double-click
    if (form_.onDoubleClick) form_.onDoubleClick();
  }
  return 1;
}

cPictureForm::cPictureForm() : p_(std::make_unique<cImpl>()) {
  p_->win = new Fl_Window(1 + kExtraW, 1 + kExtraH);
  p_->box = new cPictureBox(*this);
  p_->hint = new Fl_Box(0, 1, 1 + kExtraW, kExtraH);
  p_->hint->align(FL_ALIGN_INSIDE | FL_ALIGN_LEFT);
  p_->hint->labelsize(12);
  p_->win->end();
  p_->win->callback(
      [](Fl_Widget* w, void* self) {
        auto* f = static_cast<cPictureForm*>(self);
        if (!f->onClose || f->onClose()) w->hide();
      },
      this);
}

cPictureForm::~cPictureForm() { delete p_->win; }

bool cPictureForm::set_Picture(const uint8_t* bits, int32_t w, int32_t h, int32_t stride) {
  if (!bits || w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide || stride < 3 * w) return false;
  std::vector<uchar> rgb(static_cast<size_t>(w) * static_cast<size_t>(h) * 3);
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* row = bits + static_cast<size_t>(h - 1 - y) * static_cast<size_t>(stride);
    uchar* out = rgb.data() + static_cast<size_t>(y) * static_cast<size_t>(w) * 3;
    for (int32_t x = 0; x < w; ++x) {
      out[3 * x] = row[3 * x + 2];
      out[3 * x + 1] = row[3 * x + 1];
      out[3 * x + 2] = row[3 * x];
    }
  }
  p_->box->rgb.swap(rgb);
  if (p_->box->w() != w || p_->box->h() != h) {
    p_->win->size(w + kExtraW, h + kExtraH);
    p_->box->resize(0, 0, w, h);
    p_->hint->resize(2, h, w + kExtraW - 2, kExtraH);
  }
  p_->win->redraw();
  return true;
}

bool cPictureForm::set_Colours(const int32_t* pix, int32_t w, int32_t h) {
  if (!pix || w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide) return false;
  const int32_t stride = (3 * w + 3) & ~3;
  std::vector<uint8_t> bits(static_cast<size_t>(stride) * static_cast<size_t>(h));
  for (int32_t y = 0; y < h; ++y) {
    uint8_t* row = bits.data() + static_cast<size_t>(h - 1 - y) * static_cast<size_t>(stride);
    for (int32_t x = 0; x < w; ++x) {
      const int32_t c = pix[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)];
      row[3 * x] = static_cast<uint8_t>((c >> 16) & 255);
      row[3 * x + 1] = static_cast<uint8_t>((c >> 8) & 255);
      row[3 * x + 2] = static_cast<uint8_t>(c & 255);
    }
  }
  return set_Picture(bits.data(), w, h, stride);
}

void cPictureForm::set_Caption(const std::string& caption) {
  p_->caption = caption;
  p_->win->label(p_->caption.c_str());
}

void cPictureForm::set_Hint(const std::string& hint) {
  p_->hintText = hint;
  p_->hint->label(p_->hintText.c_str());
  p_->box->tooltip(p_->hintText.empty() ? nullptr : p_->hintText.c_str());
}

void cPictureForm::show() { p_->win->show(); }
void cPictureForm::hide() { p_->win->hide(); }
bool cPictureForm::shown() const { return p_->win->shown() && p_->win->visible(); }
std::string cPictureForm::caption() const { return p_->caption; }
int32_t cPictureForm::pic_W() const { return p_->box->rgb.empty() ? 0 : p_->box->w(); }
int32_t cPictureForm::pic_H() const { return p_->box->rgb.empty() ? 0 : p_->box->h(); }
Fl_Window* cPictureForm::window() const { return p_->win; }

int32_t cPictureForm::colour_At(int32_t x, int32_t y) const {
  if (x < 0 || y < 0 || x >= pic_W() || y >= pic_H()) return -1;
  const uchar* p = p_->box->rgb.data() + (static_cast<size_t>(y) * static_cast<size_t>(pic_W()) + x) * 3;
  return p[0] + 256 * p[1] + 65536 * p[2];
}

eCloseAct close_Rule(int formIndex, bool finished, bool editing) {
  switch (formIndex) {
    case 0: return finished ? eCloseAct::quit : eCloseAct::refuse;  // leaves editing too
    case 1:
      if (!finished) return eCloseAct::refuse;
      return editing ? eCloseAct::close : eCloseAct::quit;
    case 2: return finished && !editing ? eCloseAct::quit : eCloseAct::refuse;
    case 3: return finished && !editing ? eCloseAct::quit : eCloseAct::close;
    default: return eCloseAct::refuse;
  }
}

// ------------------------------------------------------------------ cColorForm

namespace {
const int kCell = 20;     // palette grid: 16 x 16 cells
const int kBig = 60;      // the labels 256..258 below the grid
}  // namespace

class cColorLabel : public Fl_Box {
public:
  cColorLabel(int x, int y, int w, int h, int index, cColorForm& form)
      : Fl_Box(FL_FLAT_BOX, x, y, w, h, nullptr), index_(index), form_(form) {}
  int32_t colour = 0;
  std::string caption;
  int handle(int e) override {
    if (e == FL_PUSH && Fl::event_button() == FL_LEFT_MOUSE) {
      if (form_.onLabelClick) form_.onLabelClick(index_);
      return 1;
    }
    return Fl_Box::handle(e);
  }

private:
  int index_;
  cColorForm& form_;
};

struct cColorForm::cImpl {
  Fl_Window* win = nullptr;
  std::array<cColorLabel*, kLabels> labels{};
};

cColorForm::cColorForm() : p_(std::make_unique<cImpl>()) {
  const int gridW = 16 * kCell;
  p_->win = new Fl_Window(gridW + 8, gridW + kBig + 12, "Палитра");
  for (int i = 0; i < 256; ++i)
    p_->labels[static_cast<size_t>(i)] =
        new cColorLabel(4 + (i % 16) * kCell, 4 + (i / 16) * kCell, kCell, kCell, i, *this);
  for (int j = 0; j < 3; ++j) {
    auto* l = new cColorLabel(4 + j * (kBig + 10), gridW + 8, kBig, kBig - 8, kSelected + j, *this);
    l->labelsize(11);
    p_->labels[static_cast<size_t>(kSelected + j)] = l;
  }
  p_->labels[kTransparent]->caption = "прозр.";
  p_->labels[kTransparent]->label(p_->labels[kTransparent]->caption.c_str());
  p_->labels[kTransparent]->color(fl_Colour(12632512));
  p_->win->end();
}

cColorForm::~cColorForm() { delete p_->win; }

void cColorForm::set_Label(int i, int32_t colour, bool bordered, bool visible) {
  if (i < 0 || i >= kLabels) return;
  cColorLabel* l = p_->labels[static_cast<size_t>(i)];
  l->colour = colour;
  l->color(fl_Colour(colour));
  // A dark caption on light colours and a light one on dark colours.
  const int lum = (colour & 255) * 3 + ((colour >> 8) & 255) * 6 + ((colour >> 16) & 255);
  l->labelcolor(lum > 1280 ? FL_BLACK : FL_WHITE);
  l->box(bordered ? FL_BORDER_BOX : FL_FLAT_BOX);
  if (visible)
    l->show();
  else
    l->hide();
  l->redraw();
}

void cColorForm::set_Label_Caption(int i, const std::string& caption) {
  if (i < 0 || i >= kLabels) return;
  cColorLabel* l = p_->labels[static_cast<size_t>(i)];
  l->caption = caption;
  l->label(l->caption.c_str());
  l->redraw();
}

std::string cColorForm::label_Caption(int i) const {
  return i < 0 || i >= kLabels ? "" : p_->labels[static_cast<size_t>(i)]->caption;
}
int32_t cColorForm::label_Colour(int i) const {
  return i < 0 || i >= kLabels ? -1 : p_->labels[static_cast<size_t>(i)]->colour;
}
bool cColorForm::label_Visible(int i) const {
  return i >= 0 && i < kLabels && p_->labels[static_cast<size_t>(i)]->visible();
}
void cColorForm::label_Centre(int i, int& x, int& y) const {
  const cColorLabel* l = p_->labels[static_cast<size_t>(i < 0 || i >= kLabels ? 0 : i)];
  x = l->x() + l->w() / 2;
  y = l->y() + l->h() / 2;
}
void cColorForm::show() { p_->win->show(); }
void cColorForm::hide() { p_->win->hide(); }
bool cColorForm::shown() const { return p_->win->shown() && p_->win->visible(); }
Fl_Window* cColorForm::window() const { return p_->win; }

// ------------------------------------------------------------------ cFonForm

struct cFonForm::cImpl {
  Fl_Window* win = nullptr;
  std::array<Fl_Slider*, 3> sliders{};
  std::array<Fl_Output*, 3> texts{};
  Fl_Box* sample = nullptr;  // Label10
  int32_t sampleColour = 0;
};

cFonForm::cFonForm() : p_(std::make_unique<cImpl>()) {
  p_->win = new Fl_Window(230, 250, "Выбор фона");
  static const char* names[3] = {"R", "G", "B"};
  for (int i = 0; i < 3; ++i) {
    auto* s = new Fl_Slider(FL_VERT_NICE_SLIDER, 10 + i * 45, 10, 25, 190, names[i]);
    s->bounds(0, 255);
    s->step(1);
    s->callback(
        [](Fl_Widget*, void* self) {
          auto* f = static_cast<cFonForm*>(self);
          const auto v = f->values();
          if (f->onSlider) f->onSlider(v[0], v[1], v[2]);
        },
        this);
    p_->sliders[static_cast<size_t>(i)] = s;
    auto* t = new Fl_Output(5 + i * 45, 220, 38, 22);
    p_->texts[static_cast<size_t>(i)] = t;
  }
  p_->sample = new Fl_Box(FL_BORDER_BOX, 145, 10, 75, 190, nullptr);
  p_->win->end();
}

cFonForm::~cFonForm() { delete p_->win; }

void cFonForm::set_Values(int32_t r, int32_t g, int32_t b) {
  const int32_t v[3] = {r, g, b};
  for (size_t i = 0; i < 3; ++i) p_->sliders[i]->value(v[i]);
  set_Texts(r, g, b);
}

std::array<int32_t, 3> cFonForm::values() const {
  std::array<int32_t, 3> v{};
  for (size_t i = 0; i < 3; ++i) v[i] = static_cast<int32_t>(p_->sliders[i]->value() + 0.5);
  return v;
}

std::array<std::string, 3> cFonForm::texts() const {
  std::array<std::string, 3> t;
  for (size_t i = 0; i < 3; ++i) t[i] = p_->texts[i]->value();
  return t;
}

void cFonForm::set_Texts(int32_t r, int32_t g, int32_t b) {
  const int32_t v[3] = {r, g, b};
  for (size_t i = 0; i < 3; ++i) p_->texts[i]->value(std::to_string(v[i]).c_str());
}

void cFonForm::set_Sample(int32_t colour) {
  p_->sampleColour = colour;
  p_->sample->color(fl_Colour(colour));
  p_->sample->redraw();
}

int32_t cFonForm::sample() const { return p_->sampleColour; }

void cFonForm::set_Back(int32_t colour) {
  p_->win->color(fl_Colour(colour));
  p_->win->redraw();
}

void cFonForm::slider_Ends(int i, int& x, int& yTop, int& yBottom) const {
  const Fl_Slider* s = p_->sliders[static_cast<size_t>(i < 0 || i > 2 ? 0 : i)];
  x = s->x() + s->w() / 2;
  yTop = s->y() + 2;
  yBottom = s->y() + s->h() - 3;
}

void cFonForm::show() { p_->win->show(); }
void cFonForm::hide() { p_->win->hide(); }
bool cFonForm::shown() const { return p_->win->shown() && p_->win->visible(); }
Fl_Window* cFonForm::window() const { return p_->win; }

}  // namespace platform
