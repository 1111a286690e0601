// Text from outside the program, a file's content or a file's name, made
// safe to show in a report: it cannot reorder or break the report's lines,
// and a cut never splits a character.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace triview {

// Answers text as a report may show it: at most maxBytes of it, cut before
// the first character that does not fit (and then followed by "…");
// control characters, line and paragraph separators and the characters
// that reorder bidirectional text written as U+XXXX; bytes that are not
// UTF-8 written as \xNN.
std::string shownSafely(std::string_view text, std::size_t maxBytes = std::string_view::npos);

} // namespace triview
