// Temporary bodies until the real passes land.
#include "ModuleTextPre.h"
void detect_Charset(BB&, std::string&) {}
void test_Uni(BB&, std::string&) {}
void test_Utf(BB&, std::string&) {}
void test_Dos(BB&, std::string&) {}
void test_KoiWin(BB&, std::string&) {}
void reformat_Tuda(std::string&, cNoxState&) {}
void reformat_Obratno(std::string&, const cNoxState&) {}
SS cut_Scripts(std::string&, cNoxState&) { return {}; }
SS cut_Styles(std::string&, cNoxState&) { return {}; }
bool after_Sentence_End(const std::string&, int32_t) { return false; }
