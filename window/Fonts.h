// The window's two named fonts map onto faces Debian ships, whatever the
// machine's fontconfig aliases say.
#pragma once

namespace triview {

// "新細明體" -> AR PL UMing TW (a Ming face), "Monotype Corsiva" -> Z003 (a
// chancery italic). Safe to call more than once.
void registerFontSubstitutions();

} // namespace triview
