#include "container.h"

namespace container {

const char* err_Text(int32_t vErr) {
  switch (vErr) {
    case kErrEmpty: return "пустой вх.массив";
    case kErrMetod: return "неверный метод";
    case kErrSum: return "КС не совпадает";
    case kErrLength: return "размер не совпадает";
    case kErrNoEnd: return "нет маркера конца=неполный/повреждён";
    default: return "непонятная ошибка";
  }
}

SS describe_Metod(const BB& bb) {
  SS lines;
  if (bb.empty()) return lines;
  if (filter_Of(bb[0])) lines.push_back("фильтров пока не будет");
  // The number printed is the method the decoder will use, bits 0-4.
  const int32_t metod = metod_Of(bb[0]);
  const std::string n = std::to_string(metod);
  if (metod == kMetodNo)
    lines.push_back("метод без сжатия");
  else if (metod == kMetodAri)
    lines.push_back("динамический арифметик с макс 1..255");
  else if (is_Pmd(metod))
    lines.push_back("PPMd сжатие. метод=" + n);
  else if (metod == kMetodAri16)
    lines.push_back("16-ти битный динамический арифметик с макс 1..4000");
  else
    lines.push_back("Волшебный контекстный преобразователь+PMD=(отключен)" + n);
  return lines;
}

}  // namespace container
