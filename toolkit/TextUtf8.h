// UTF-8 text as the drawing code and the text fields take it: character steps, decoding, and
// a displayable form of names that may not be valid UTF-8 (cut in the middle of a character
// by a fixed-size record, or written in a single-byte code page elsewhere).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace VSTGUI {
namespace utf8 {

// The length of the well-formed sequence at s[0] (at most available bytes), with its code
// point in point; 0 when the bytes there are no UTF-8 character (overlong forms, surrogates
// and values above U+10FFFF count as malformed).
inline size_t decode(const char* s, size_t available, uint32_t& point)
{
    if (available == 0)
        return 0;
    const unsigned char first = static_cast<unsigned char>(s[0]);
    size_t length = 0;
    uint32_t value = 0;
    uint32_t least = 0;
    if (first < 0x80) {
        point = first;
        return 1;
    } else if (first >= 0xc2 && first < 0xe0) {
        length = 2;
        value = first & 0x1fu;
        least = 0x80;
    } else if (first >= 0xe0 && first < 0xf0) {
        length = 3;
        value = first & 0x0fu;
        least = 0x800;
    } else if (first >= 0xf0 && first < 0xf5) {
        length = 4;
        value = first & 0x07u;
        least = 0x10000;
    } else {
        return 0;
    }
    if (available < length)
        return 0;
    for (size_t i = 1; i < length; ++i) {
        const unsigned char next = static_cast<unsigned char>(s[i]);
        if ((next & 0xc0u) != 0x80u)
            return 0;
        value = (value << 6) | (next & 0x3fu);
    }
    if (value < least || value > 0x10ffff || (value >= 0xd800 && value < 0xe000))
        return 0;
    point = value;
    return length;
}

inline void append(std::string& out, uint32_t point)
{
    if (point < 0x80) {
        out += char(point);
    } else if (point < 0x800) {
        out += char(0xc0 | (point >> 6));
        out += char(0x80 | (point & 0x3f));
    } else if (point < 0x10000) {
        out += char(0xe0 | (point >> 12));
        out += char(0x80 | ((point >> 6) & 0x3f));
        out += char(0x80 | (point & 0x3f));
    } else {
        out += char(0xf0 | (point >> 18));
        out += char(0x80 | ((point >> 12) & 0x3f));
        out += char(0x80 | ((point >> 6) & 0x3f));
        out += char(0x80 | (point & 0x3f));
    }
}

inline bool valid(const char* s, size_t length)
{
    uint32_t point = 0;
    for (size_t i = 0; i < length;) {
        const size_t step = decode(s + i, length - i, point);
        if (step == 0)
            return false;
        i += step;
    }
    return true;
}

// s as valid UTF-8: an unfinished character at the very end (a cut) is dropped, any other
// byte that starts no character is taken as the Latin-1 character of its value.
inline std::string displayable(const char* s, size_t length)
{
    std::string out;
    out.reserve(length + 8);
    uint32_t point = 0;
    for (size_t i = 0; i < length;) {
        const size_t step = decode(s + i, length - i, point);
        if (step > 0) {
            out.append(s + i, step);
            i += step;
            continue;
        }
        const unsigned char byte = static_cast<unsigned char>(s[i]);
        size_t rest = 1;
        while (i + rest < length && rest < 4 && (static_cast<unsigned char>(s[i + rest]) & 0xc0u) == 0x80u)
            ++rest;
        if (byte >= 0xc2 && byte < 0xf5 && i + rest == length)
            break;
        append(out, byte);
        ++i;
    }
    return out;
}

// The start of the character after (or before) the one at position in a valid UTF-8 text.
inline size_t next(const std::string& text, size_t position)
{
    if (position >= text.size())
        return text.size();
    ++position;
    while (position < text.size() && (static_cast<unsigned char>(text[position]) & 0xc0u) == 0x80u)
        ++position;
    return position;
}

inline size_t previous(const std::string& text, size_t position)
{
    if (position == 0)
        return 0;
    if (position > text.size())
        position = text.size();
    --position;
    while (position > 0 && (static_cast<unsigned char>(text[position]) & 0xc0u) == 0x80u)
        --position;
    return position;
}

} // namespace utf8
} // namespace VSTGUI
