// norvik-raid's texts: every sentence it prints comes from the string table,
// in the session's language.
#pragma once

#include <initializer_list>
#include <string>

#include "platform/controls/string_format.h"

namespace cli {

std::string text(const std::string& key);
std::string text(const std::string& key, std::initializer_list<platform::FormatArg> args);

}  // namespace cli
