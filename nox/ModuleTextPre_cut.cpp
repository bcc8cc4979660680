#include "ModuleTextPre.h"
