#include "sim/command/command.h"

#include <functional>
#include <iostream>
#include <map>

#include "sim/command/arguments.h"
#include "sim/command/printable.h"
#include "sim/command/status_report.h"
#include "sim/enclosure_rules.h"
#include "sim/operations.h"
#include "sim/utf8_text.h"
#include "sim/world_store.h"

namespace sim {

namespace {

// The command was understood but the world does not allow it.
class CommandError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct Context {
    WorldStore& store;
    Nanoseconds now;
    std::ostream& out;
};

using Handler = std::function<void(Context&, const std::vector<std::string>&)>;

constexpr std::uint64_t kMaxEnclosures = 8;

Enclosure& enclosureAt(World& world, std::uint64_t index) {
    if (index >= world.enclosures.size()) {
        throw CommandError("there is no enclosure " + std::to_string(index) + " (the world has " +
                           std::to_string(world.enclosures.size()) + ")");
    }
    return world.enclosures[index];
}

std::uint64_t enclosureOption(const Arguments& args) {
    auto text = args.option("enclosure");
    return text ? parseNumber(*text, "the enclosure number", 0, kMaxEnclosures - 1) : 0;
}

// Changes the world under the lock; `edit` returns false when nothing changed.
void change(Context& c, const std::function<bool(World&)>& edit) {
    c.store.update([&](World& world) {
        settleRebuilds(world, c.now);
        return edit(world);
    });
}

void reset(Context& c, const std::vector<std::string>& words) {
    Arguments args("reset", words, {"layout", "enclosures", "disk-size"});
    args.expectPositionals(0, 0);
    static const std::map<std::string, Layout> layouts = {{"raid1", Layout::Raid1},
                                                          {"raid0", Layout::Raid0},
                                                          {"individual", Layout::Individual},
                                                          {"empty", Layout::Empty}};
    Layout layout = Layout::Raid1;
    if (auto name = args.option("layout")) {
        auto it = layouts.find(*name);
        if (it == layouts.end()) {
            throw UsageError("reset: --layout must be raid1, raid0, individual or empty, not \"" +
                             *name + "\"");
        }
        layout = it->second;
    }
    const auto enclosures =
        args.option("enclosures")
            ? parseNumber(*args.option("enclosures"), "--enclosures", 0, kMaxEnclosures)
            : 1;
    const auto size = args.option("disk-size")
                          ? parseBytes(*args.option("disk-size"), "--disk-size")
                          : kDefaultDiskBytes;
    c.store.replace(makeWorld(layout, static_cast<int>(enclosures), size));
    c.out << "Reset " << c.store.file().string() << "\n";
}

void status(Context& c, const std::vector<std::string>& words) {
    Arguments args("status", words, {}, {"json"});
    args.expectPositionals(0, 0);
    std::shared_ptr<const World> world = c.store.read();
    const Timing timing{c.now, world->rebuildSeconds};
    if (args.flag("json")) {
        // ASCII only: names may hold terminal control sequences.
        c.out << statusJson(*world, timing).dump(2, ' ', true) << "\n";
    } else {
        c.out << statusText(*world, c.store.file(), timing);
    }
}

void plug(Context& c, const std::vector<std::string>& words, bool plugged) {
    const std::string name = plugged ? "plug" : "unplug";
    Arguments args(name, words, {});
    args.expectPositionals(0, 1);
    const auto index =
        args.positionals().empty()
            ? 0
            : parseNumber(args.positionals()[0], "the enclosure number", 0, kMaxEnclosures - 1);
    bool already = false;
    change(c, [&](World& world) {
        Enclosure& enclosure = enclosureAt(world, index);
        already = enclosure.plugged == plugged;
        enclosure.plugged = plugged;
        return !already;
    });
    c.out << "Enclosure " << index << (already ? " was already " : " is now ")
          << (plugged ? "plugged in" : "unplugged") << "\n";
}

int slotArgument(const Arguments& args) {
    return static_cast<int>(parseNumber(args.positionals()[0], "the slot", 0, 255));
}

void checkSlot(const Enclosure& enclosure, std::uint64_t index, int slot) {
    if (slot >= enclosure.identity.portCount) {
        throw CommandError("enclosure " + std::to_string(index) + " has slots 0 to " +
                           std::to_string(enclosure.identity.portCount - 1));
    }
}

void pull(Context& c, const std::vector<std::string>& words) {
    Arguments args("pull", words, {"enclosure"});
    args.expectPositionals(1, 1);
    const int slot = slotArgument(args);
    const auto index = enclosureOption(args);
    change(c, [&](World& world) {
        Enclosure& enclosure = enclosureAt(world, index);
        checkSlot(enclosure, index, slot);
        if (!pullDisk(enclosure, slot)) {
            throw CommandError("slot " + std::to_string(slot) + " of enclosure " +
                               std::to_string(index) + " is empty");
        }
        return true;
    });
    c.out << "Pulled the disk in slot " << slot << " of enclosure " << index << "\n";
}

void insert(Context& c, const std::vector<std::string>& words) {
    Arguments args("insert", words, {"size", "enclosure"});
    args.expectPositionals(1, 1);
    const int slot = slotArgument(args);
    const auto index = enclosureOption(args);
    const auto size =
        args.option("size") ? parseBytes(*args.option("size"), "--size") : kDefaultDiskBytes;
    bool rebuilding = false;
    change(c, [&](World& world) {
        Enclosure& enclosure = enclosureAt(world, index);
        checkSlot(enclosure, index, slot);
        const std::size_t before = enclosure.rebuilds.size();
        if (!insertDisk(enclosure,
                        makeBlankDisk(static_cast<int>(index), slot, size,
                                      static_cast<std::uint32_t>(c.now / 1000) | 1),
                        c.now)) {
            throw CommandError("slot " + std::to_string(slot) + " of enclosure " +
                               std::to_string(index) + " already holds a disk; pull it first");
        }
        rebuilding = enclosure.rebuilds.size() > before;
        return true;
    });
    c.out << "Inserted a blank disk of " << groupedDigits(size) << " bytes into slot " << slot
          << " of enclosure " << index << (rebuilding ? "; the mirror is rebuilding onto it" : "")
          << "\n";
}

void rebuildTime(Context& c, const std::vector<std::string>& words) {
    Arguments args("rebuild-time", words, {});
    args.expectPositionals(1, 1);
    const double seconds = parseSeconds(args.positionals()[0], "rebuild-time");
    change(c, [&](World& world) {
        world.rebuildSeconds = seconds;
        return true;
    });
    c.out << "Rebuilds take " << seconds << " s\n";
}

void advance(Context& c, const std::vector<std::string>& words) {
    Arguments args("advance", words, {});
    args.expectPositionals(1, 1);
    const double seconds = parseSeconds(args.positionals()[0], "advance");
    change(c, [&](World& world) {
        for (auto& enclosure : world.enclosures) {
            for (auto& rebuild : enclosure.rebuilds) {
                rebuild.startNanoseconds -= static_cast<Nanoseconds>(seconds * 1e9);
            }
        }
        settleRebuilds(world, c.now);
        return true;
    });
    c.out << "Running rebuilds moved on by " << seconds << " s\n";
}

void autoRebuild(Context& c, const std::vector<std::string>& words) {
    Arguments args("auto-rebuild", words, {"enclosure"});
    args.expectPositionals(1, 1);
    const std::string& state = args.positionals()[0];
    if (state != "on" && state != "off") {
        throw UsageError("auto-rebuild: say on or off, not \"" + state + "\"");
    }
    const bool on = state == "on";
    const bool one = args.option("enclosure").has_value();
    const auto index = enclosureOption(args);
    change(c, [&](World& world) {
        if (one) {
            enclosureAt(world, index).autoRebuild = on;
        } else {
            for (auto& enclosure : world.enclosures) {
                enclosure.autoRebuild = on;
            }
        }
        return true;
    });
    c.out << "Auto-rebuild " << state
          << (one ? " for enclosure " + std::to_string(index) : std::string(" for every enclosure"))
          << "\n";
}

void fault(Context& c, const std::vector<std::string>& words) {
    Arguments args("fault", words, {"status", "times"}, {"throw"});
    args.expectPositionals(1, 1);
    const std::string& operation = args.positionals()[0];
    if (operation == "clear") {
        if (args.option("status") || args.option("times") || args.flag("throw")) {
            throw UsageError("fault clear takes no options");
        }
        change(c, [](World& world) {
            world.faults.clear();
            return true;
        });
        c.out << "No faults\n";
        return;
    }
    if (!isOperationName(operation)) {
        std::string names;
        for (auto name : kOperationNames) {
            names += "\n  " + std::string(name);
        }
        throw UsageError("fault: \"" + operation +
                         "\" is not a library operation; these are:" + names);
    }
    if (args.flag("throw") == args.option("status").has_value()) {
        throw UsageError("fault: give either --status N or --throw");
    }
    Fault f;
    f.operation = operation;
    f.raise = args.flag("throw");
    if (!f.raise) {
        f.status =
            static_cast<std::uint8_t>(parseNumber(*args.option("status"), "--status", 0, 255));
    }
    f.remaining =
        args.option("times")
            ? static_cast<int>(parseNumber(*args.option("times"), "--times", 1, 1'000'000))
            : 1;
    change(c, [&](World& world) {
        world.faults.push_back(f);
        return true;
    });
    c.out << operation << " will "
          << (f.raise ? std::string("raise") : "return " + std::to_string(f.status))
          << " for its next " << f.remaining << " call(s)\n";
}

void foreign(Context& c, const std::vector<std::string>& words) {
    Arguments args("foreign", words, {"size"});
    args.expectPositionals(2, 2);
    const std::string& action = args.positionals()[0];
    const std::string& name = args.positionals()[1];
    if (name.empty()) {
        throw UsageError("foreign: the name is empty");
    }
    if (!isUtf8(name)) {
        throw UsageError("foreign: the name \"" + printable(name) +
                         "\" is not UTF-8 text, which a disk name must be");
    }
    auto named = [&](const ForeignDisk& d) { return d.name == name; };
    if (action == "add") {
        const auto size = args.option("size") ? parseBytes(*args.option("size"), "--size")
                                              : std::uint64_t{32'015'679'488};
        change(c, [&](World& world) {
            if (std::any_of(world.foreignDisks.begin(), world.foreignDisks.end(), named)) {
                throw CommandError("there is a foreign disk named \"" + printable(name) +
                                   "\" already");
            }
            world.foreignDisks.push_back({name, size});
            return true;
        });
        c.out << "Attached the foreign disk \"" << printable(name) << "\"\n";
    } else if (action == "remove") {
        if (args.option("size")) {
            throw UsageError("foreign remove takes no --size");
        }
        change(c, [&](World& world) {
            if (std::erase_if(world.foreignDisks, named) == 0) {
                throw CommandError("there is no foreign disk named \"" + printable(name) + "\"");
            }
            return true;
        });
        c.out << "Detached the foreign disk \"" << printable(name) << "\"\n";
    } else {
        throw UsageError("foreign: say add or remove, not \"" + action + "\"");
    }
}

struct Command {
    Handler handler;
    const char* synopsis;  // its line of the usage text
};

const std::map<std::string, Command>& commands() {
    static const std::map<std::string, Command> table = {
        {"reset",
         {reset,
          "reset [--layout raid1|raid0|individual|empty] [--enclosures N] "
          "[--disk-size BYTES]"}},
        {"status", {status, "status [--json]"}},
        {"plug", {[](Context& c, const auto& w) { plug(c, w, true); }, "plug [N]"}},
        {"unplug", {[](Context& c, const auto& w) { plug(c, w, false); }, "unplug [N]"}},
        {"pull", {pull, "pull SLOT [--enclosure N]"}},
        {"insert", {insert, "insert SLOT [--size BYTES] [--enclosure N]"}},
        {"rebuild-time", {rebuildTime, "rebuild-time SECONDS"}},
        {"advance", {advance, "advance SECONDS"}},
        {"auto-rebuild", {autoRebuild, "auto-rebuild on|off [--enclosure N]"}},
        {"fault", {fault, "fault OPERATION (--status N | --throw) [--times K] | fault clear"}},
        {"foreign", {foreign, "foreign add NAME [--size BYTES] | foreign remove NAME"}},
    };
    return table;
}

bool asksForHelp(const std::string& word) {
    return word == "--help" || word == "-h" || word == "help";
}

}  // namespace

std::string commandUsage() {
    return R"(Usage: norvik-sim COMMAND [ARGUMENTS]

Changes the simulated enclosure world that the simulated controller library
(libmv_api.so) and the device feed read. The world file is NORVIK_SIM_WORLD,
by default $XDG_RUNTIME_DIR/norvik-sim/world.json. It must be a regular file
(or not exist yet) in a directory you own; a symbolic link there is refused,
not followed, so name the file it points to instead. Enclosures and slots are
numbered from 0.

Commands:
  reset [--layout raid1|raid0|individual|empty] [--enclosures N] [--disk-size BYTES]
        start afresh (default: one enclosure, two disks of 2,000,398,934,016
        bytes, one RAID 1 volume "Norvik Duo" over both)
  status [--json]              show the world
  plug [N] | unplug [N]        plug enclosure N (default 0) in or out
  pull SLOT [--enclosure N]    pull a disk out
  insert SLOT [--size BYTES] [--enclosure N]
                               insert a blank disk (with auto-rebuild on, a
                               degraded mirror starts rebuilding onto it)
  rebuild-time SECONDS         how long a rebuild takes (default 120)
  advance SECONDS              move running rebuilds on by SECONDS
  auto-rebuild on|off [--enclosure N]
                               the controllers' auto-rebuild switch
  fault OPERATION (--status N | --throw) [--times K]
                               make a library operation (e.g. MV_LD_GetStatus)
                               return N, or raise, for its next K calls (default 1)
  fault clear                  remove every fault
  foreign add NAME [--size BYTES] | foreign remove NAME
                               attach or detach a whole disk on another bus
  help, -h, --help             show this text (only as the first word)
  -V, --version                show the version (only as the first word)

Exit status: 0 done, 1 the world could not be read or does not allow it, 2 mistyped.
)";
}

int runCommand(const std::vector<std::string>& args,
               const WorldLocation& location,
               platform::Clock& clock,
               std::ostream& out,
               std::ostream& err) {
    if (args.empty()) {
        err << commandUsage();
        return kCommandUsage;
    }
    // Only as the first word: later words are arguments (a disk may be named "help").
    if (asksForHelp(args[0])) {
        out << commandUsage();
        return kCommandOk;
    }
    if (args.size() == 1 && (args[0] == "--version" || args[0] == "-V")) {
        out << "norvik-sim " << NORVIK_VERSION << "\n";
        return kCommandOk;
    }
    const auto command = commands().find(args[0]);
    try {
        if (command == commands().end()) {
            throw UsageError("unknown command \"" + args[0] + "\"");
        }
        WorldStore store(location);
        Context context{
            store,
            std::chrono::duration_cast<std::chrono::nanoseconds>(clock.now().time_since_epoch())
                .count(),
            out};
        command->second.handler(context, std::vector<std::string>(args.begin() + 1, args.end()));
        return kCommandOk;
    } catch (const UsageError& e) {
        err << "norvik-sim: " << e.what() << "\n";
        if (command != commands().end()) {
            err << "Usage: norvik-sim " << command->second.synopsis << "\n";
        }
        err << "Try 'norvik-sim --help'.\n";
        return kCommandUsage;
    } catch (const WorldContentError& e) {
        err << "norvik-sim: " << e.what()
            << "\nThe file is left as it is; 'norvik-sim reset' replaces it with a fresh world.\n";
        return kCommandFailed;
    } catch (const WorldError& e) {
        err << "norvik-sim: " << e.what() << "\nThe file is left as it is.\n";
        return kCommandFailed;
    } catch (const std::exception& e) {
        err << "norvik-sim: " << e.what() << "\n";
        return kCommandFailed;
    }
}

}  // namespace sim
