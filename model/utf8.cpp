#include "model/utf8.h"

namespace {

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

}  // namespace

bool isValidUTF8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length;
        char32_t code;
        char32_t smallest;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2, code = lead & 0x1F, smallest = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, code = lead & 0x0F, smallest = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4, code = lead & 0x07, smallest = 0x10000;
        } else {
            return false;
        }
        if (text.size() - i < length) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto byte = static_cast<unsigned char>(text[i + k]);
            if (!isContinuation(byte)) {
                return false;
            }
            code = (code << 6) | (byte & 0x3F);
        }
        if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

std::size_t utf8PrefixLength(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) {
        return text.size();
    }
    // The byte after the cut continues a character: drop that character's
    // leading bytes too (at most three of them in UTF-8).
    std::size_t cut = maxBytes;
    for (int k = 0; k < 3 && cut > 0 && isContinuation(static_cast<unsigned char>(text[cut]));
         ++k) {
        --cut;
    }
    if (cut < maxBytes && isContinuation(static_cast<unsigned char>(text[cut]))) {
        return maxBytes;  // not a character boundary anywhere near: not UTF-8
    }
    return cut;
}
