#pragma once
// The reports name Windows Japanese faces ("ＭＳ 明朝", "ＭＳ ゴシック", ...). Without a
// substitution Qt falls back to a Latin face; these map them onto the installed IPA fonts.

#include <QString>

namespace font_substitution {

// Registers the substitutions with QFont; safe to call more than once.
void install();

// The face a fresh drawing canvas starts with (the platform's default face for a new font).
QString defaultFace();

} // namespace font_substitution
