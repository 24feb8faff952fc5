#include <iostream>

#include "sim/command/command.h"

int main(int argc, char** argv) {
    platform::SystemClock clock;
    return sim::runCommand(std::vector<std::string>(argv + 1, argv + argc), sim::worldLocation(),
                           clock, std::cout, std::cerr);
}
