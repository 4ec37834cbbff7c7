// Where each lesson attribute sits in the cboEdit arrays of the course search and
// the course detail. The object names (cboEdit_4 is the period) keep these numbers.
#pragma once

#include <cstddef>

namespace KouzaCbo {
enum Position : std::size_t { Gakunen, Kamoku, KouzaClass, Koushi, Jigen, Kyositsu, Youbi, HyokaKoumoku };
// The boxes before Youbi: a lesson is stored only with all of them chosen.
inline constexpr int kRequiredCount = Youbi;
} // namespace KouzaCbo
