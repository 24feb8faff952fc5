// Where a verb talks to its user: the standard streams, and whether standard
// input is a terminal that somebody can answer questions on, and where
// standard output goes.
#pragma once

#include <iosfwd>

namespace cli {

struct Console {
    std::istream& in;
    bool inputIsTerminal;
    std::ostream& out;
    std::ostream& err;
    // Whether standard output is a terminal (event lines get a time), or
    // the journal's own stream (events go to the journal directly instead).
    bool outputIsTerminal = false;
    bool outputIsJournal = false;

    // The process's own streams.
    static Console standard();
};

}  // namespace cli
