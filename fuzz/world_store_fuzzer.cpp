// Arbitrary bytes as the world file. The parser either rejects them with a
// WorldFormatError or yields a world that saves and reads back the same; the
// store agrees with the parser, never rewrites a file it rejects, and keeps an
// accepted world unchanged across a save and a fresh load. Anything else (a
// crash, another exception, a sanitizer report) is a finding.
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "sim/world_json.h"
#include "sim/world_store.h"

namespace {

[[noreturn]] void broken(const char* what) {
    std::fprintf(stderr, "world_store_fuzzer: %s\n", what);
    std::abort();
}

// A private directory for the run's world file, removed at exit.
class Scratch {
  public:
    Scratch() {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/norvik-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data())) {
            broken("cannot create a scratch directory");
        }
        dir_ = pattern;
    }
    ~Scratch() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    std::filesystem::path file() const { return dir_ / "world.json"; }

  private:
    std::filesystem::path dir_;
};

std::string contents(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void put(const std::filesystem::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
}

std::optional<sim::World> parsed(const std::string& text) {
    try {
        return sim::parseWorld(text);
    } catch (const sim::WorldFormatError&) {
        return std::nullopt;
    }
}

void checkSavingKeepsTheWorld(const sim::World& world) {
    const std::string saved = sim::serializeWorld(world);
    const std::optional<sim::World> again = parsed(saved);
    if (!again) {
        broken("a saved world is rejected when read back");
    }
    if (*again != world) {
        broken("a saved world reads back differently");
    }
    if (sim::serializeWorld(*again) != saved) {
        broken("saving the same world twice gives different files");
    }
}

void checkTheStore(const std::filesystem::path& file,
                   const std::string& text,
                   const std::optional<sim::World>& expected) {
    put(file, text);
    sim::WorldStore store(file);
    const auto keep = [](sim::World&) { return true; };
    try {
        const auto world = store.read();
        if (!expected) {
            broken("the store accepts a file the parser rejects");
        }
        if (*world != *expected) {
            broken("the store reads another world than the parser");
        }
        store.update(keep);
        sim::WorldStore fresh(file);
        if (*fresh.read() != *expected) {
            broken("a world changes across a save and a fresh load");
        }
    } catch (const sim::WorldContentError&) {
        if (expected) {
            broken("the store rejects a world the parser accepts");
        }
        try {
            store.update(keep);
            broken("the store changes a world it cannot read");
        } catch (const sim::WorldContentError&) {
        }
        if (contents(file) != text) {
            broken("a rejected file was rewritten");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Scratch scratch;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::optional<sim::World> world = parsed(text);
    if (world) {
        checkSavingKeepsTheWorld(*world);
    }
    checkTheStore(scratch.file(), text, world);
    return 0;
}
