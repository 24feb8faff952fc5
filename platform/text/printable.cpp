#include "platform/text/printable.h"

#include "platform/text/utf8_text.h"

namespace platform {

namespace {

void appendEscaped(std::string& out, unsigned char byte) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += "\\x";
    out += kHex[byte >> 4];
    out += kHex[byte & 0xF];
}

bool isControl(std::string_view character) {
    const auto lead = static_cast<unsigned char>(character[0]);
    if (character.size() == 1) {
        return lead < 0x20 || lead == 0x7F;
    }
    // U+0080 to U+009F, the C1 controls, are C2 80 to C2 9F.
    return character.size() == 2 && lead == 0xC2 && static_cast<unsigned char>(character[1]) < 0xA0;
}

}  // namespace

std::string printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = utf8CharacterLength(text, at);
        if (length == 0) {
            appendEscaped(out, static_cast<unsigned char>(text[at]));
            ++at;
            continue;
        }
        const std::string_view character = text.substr(at, length);
        if (isControl(character)) {
            for (char byte : character) {
                appendEscaped(out, static_cast<unsigned char>(byte));
            }
        } else if (character == "\\") {
            out += "\\\\";
        } else {
            out += character;
        }
        at += length;
    }
    return out;
}

}  // namespace platform
