#include "runtime/ShownSafely.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace triview {

namespace {

// The length of the well-formed UTF-8 sequence at text[0] (and its code
// point), or 0 when the bytes there are not one.
std::size_t decode(std::string_view text, char32_t& codePoint)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned lead = byte(0);
    std::size_t length;
    unsigned low = 0x80, high = 0xBF; // the second byte's range
    if (lead < 0x80)
        return codePoint = lead, 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, codePoint = lead & 0x0F;
        low = lead == 0xE0 ? 0xA0 : 0x80; // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, codePoint = lead & 0x07;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF; // nothing past U+10FFFF
    } else {
        return 0;
    }
    if (text.size() < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned b = byte(i);
        if (b < (i == 1 ? low : 0x80) || b > (i == 1 ? high : 0xBF))
            return 0;
        codePoint = (codePoint << 6) | (b & 0x3F);
    }
    return length;
}

bool changesHowTheReportReads(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) // control characters
        || c == 0x061C || c == 0x200E || c == 0x200F // bidirectional marks
        || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) // embeddings, isolates
        || c == 0x2028 || c == 0x2029; // line and paragraph separators
}

} // namespace

std::string shownSafely(std::string_view text, std::size_t maxBytes)
{
    std::string shown;
    std::size_t at = 0;
    while (at < text.size()) {
        char32_t codePoint = 0;
        const std::size_t length = decode(text.substr(at), codePoint);
        if (at + std::max<std::size_t>(length, 1) > maxBytes)
            return shown + "…";
        char escaped[16];
        if (length == 0) {
            std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(text[at]));
            shown += escaped;
        } else if (changesHowTheReportReads(codePoint)) {
            std::snprintf(escaped, sizeof escaped, "U+%04X", static_cast<std::uint32_t>(codePoint));
            shown += escaped;
        } else {
            shown += text.substr(at, length);
        }
        at += std::max<std::size_t>(length, 1);
    }
    return shown;
}

} // namespace triview
