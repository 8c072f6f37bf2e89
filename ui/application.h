#pragma once
// Application-wide set-up done once before the first window: the task-bar title,
// the window icon and the fonts the windows ask for by name.

// Debian has none of the three font families the windows name; map each to a
// font of the same metrics so captions keep their designed widths.
void installFontSubstitutions();

// Title "Quenvale", the program's icon and the font substitutions.
void initApplication();
