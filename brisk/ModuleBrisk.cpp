#include "ModuleBrisk.h"

int brisk_Main(const std::string&) { return 0; }
