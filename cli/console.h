// Where a verb talks to its user: the standard streams, and whether standard
// input is a terminal that somebody can answer questions on.
#pragma once

#include <iosfwd>

namespace cli {

struct Console {
    std::istream& in;
    bool inputIsTerminal;
    std::ostream& out;
    std::ostream& err;

    // The process's own streams.
    static Console standard();
};

}  // namespace cli
