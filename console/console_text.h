// Writes the console's fixed texts and their "%s" and "%ld" fields.
//
// The texts are printf-style formats with one field at most; writing the
// pieces directly keeps the exact bytes visible at the call site and needs no
// formatting library.
#pragma once

#include <charconv>
#include <string_view>

#include "numtext/byte_sink.h"

namespace corvalen {

inline void say(ByteSink& console, std::string_view text) { console.write(text); }

// before + name + after, as "before%safter" prints it.
inline void sayWithName(ByteSink& console, std::string_view before, std::string_view name,
                        std::string_view after) {
    console.write(before);
    console.write(name);
    console.write(after);
}

inline void sayNumber(ByteSink& console, long value) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    console.write({digits, static_cast<std::size_t>(result.ptr - digits)});
}

}  // namespace corvalen
