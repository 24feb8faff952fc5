#include "cli/console.h"

#include <unistd.h>

#include <iostream>

namespace cli {

Console Console::standard() {
    return Console{std::cin, ::isatty(STDIN_FILENO) == 1, std::cout, std::cerr};
}

}  // namespace cli
