// The "-best" survey: codes the data with the ordinary container search, then
// estimates what a family of experimental integer coders would achieve on
// three re-codings of its values. It only reports; the archive is made as
// for the automatic choice afterwards.
#pragma once
#include <functional>
#include <string>

#include "core/cFile.h"

// Logs every step through log_Msg, sets keepOpen, and lowers bestSize to the
// smallest estimate found.
void run_Method_Search(cFile& file, cMassiv& m, const BB& D, const std::function<void(const std::string&)>& log_Msg,
                       int32_t& bestSize, bool& keepOpen);

// The estimators of the survey. Each returns a bit count; -1 means "no
// estimate" (the data does not have the form the estimator needs).

// Every value v split into v div d (coded by min_BR) and v mod d (one long
// number); the best divisor d in vDelitel, 0 when none beats min_BR alone.
int32_t delenie_1kask(cMassiv& m, const TT& S, int32_t M, int32_t& vDelitel);
// Two divisors q1, q2 (2..25): remainder by q1, then the quotient less 1
// split by q2. Every improvement is logged as "q1=.. q2=..".
int32_t delenie_2kask(cMassiv& m, const TT& S, int32_t M, int32_t& vQ1, int32_t& vQ2,
                      const std::function<void(const std::string&)>& log_Msg);
// Rank of a permutation of 0..n-1 in the factorial number system.
int32_t kombo_Perestanovka(cMassiv& m, const TT& V);
// The positions of each value 0, 1, ..., as gaps; flagLimit bounds each
// value's radixes by its largest gap. -1 when a value below the largest is absent.
int32_t kombi_Mnozhestvo(cMassiv& m, const TT& S, bool flagLimit);
// Runs of more than two entries 1 (from index 1 on) become the two entries 0, length.
void szhat_Edinicy(TT& w_izm);
// Tries the escape forms of S in 16, 8 and 4 bits, each packed by the full
// container search, and logs every new best as an estimate (size scaled by f,
// plus c). Returns the best estimate, -1 when there is none.
int64_t kontekst_Konvertor(cFile& file, cMassiv& m, const TT& S, int64_t c, double f,
                           const std::function<void(const std::string&)>& log_Msg);
// Logs what the bytes look like and returns the value array of the survey.
TT analiz_Dannyh(cMassiv& m, const BB& D, const std::function<void(const std::string&)>& log_Msg);
