// The "-best" survey: codes the data with the ordinary container search, then
// estimates what a family of experimental integer coders would achieve on
// three re-codings of its values. It only reports; the archive is made as
// for the automatic choice afterwards.
#pragma once
#include <functional>
#include <string>

#include "cFile.h"

// Logs every step through log_Msg, sets keepOpen, and lowers bestSize to the
// smallest estimate found.
void run_Method_Search(cFile& file, cMassiv& m, const BB& D, const std::function<void(const std::string&)>& log_Msg,
                       int32_t& bestSize, bool& keepOpen);
