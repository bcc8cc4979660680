#include "cFile.h"

cFile::cFile() = default;
