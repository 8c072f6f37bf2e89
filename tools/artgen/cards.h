// The 53 card pictures: 0 the back, then clubs, diamonds, hearts, spades, each ace to king.
#pragma once

#include <QImage>

namespace artgen {

inline constexpr int kCardWidth = 60;
inline constexpr int kCardHeight = 82;
inline constexpr int kSheetColumns = 4;
inline constexpr int kSheetRows = 14;
inline constexpr int kCardCount = 53;

// One picture at the given scale; only its four corner pixels (scale x scale blocks) are transparent.
QImage drawCard(int picture, int scale);

// All pictures, picture k at column k mod 4, row k div 4.
QImage drawCardSheet(int scale);

} // namespace artgen
