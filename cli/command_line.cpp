#include "cli/command_line.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <functional>
#include <iomanip>
#include <iostream>
#include <sstream>

#include "cli/texts.h"
#include "cli/verbs.h"

namespace cli {

namespace {

void printMainUsage(std::ostream& out) {
    out << text("USAGE_MAIN") << "\n\n"
        << text("HELP_MAIN") << "\n\n"
        << text("HELP_VERBS") << "\n";
    for (const Verb& verb : verbs()) {
        out << "  " << std::left << std::setw(16) << verb.name << text(verb.summaryKey) << "\n";
    }
    out << "\n" << text("HELP_MAIN_OPTIONS") << "\n";
}

// Everything the parser fills in.
struct Parsed {
    GlobalOptions global;
    bool help = false;
    bool version = false;
    DevicesOptions devices;
    StatusOptions status;
    MonitorOptions monitor;
    ChangeOptions configure;
    ChangeOptions rebuild;
    ChangeOptions cancelRebuild;
};

// A repeated option takes its last value, as it always did.
template <class T>
CLI::Option* option(CLI::App& app, const std::string& name, std::optional<T>& value) {
    return app.add_option_function<T>(name, [&value](const T& v) { value = v; })
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
}

void changeOptions(CLI::App& app, ChangeOptions& options, bool volume) {
    option(app, "--controller", options.controller);
    if (volume) {
        option(app, "--volume", options.volume);
    }
    app.add_flag("--yes", options.yes);
    app.add_flag("--json", options.json);
}

using Run = std::function<int(Console&)>;

// Declares the verb's options on its part of the parser; returns how to run it.
Run declare(const Verb& verb, CLI::App& app, Parsed& p) {
    const std::string name = verb.name;
    if (name == "devices") {
        app.add_flag("--json", p.devices.json);
        return [&p](Console& c) { return devicesVerb(p.devices, p.global, c); };
    }
    if (name == "status") {
        app.add_flag("--json", p.status.json);
        app.add_flag("--nagios", p.status.nagios);
        option(app, "--timeout", p.status.timeout);
        return [&p](Console& c) { return statusVerb(p.status, p.global, c); };
    }
    if (name == "monitor") {
        option(app, "--interval", p.monitor.interval);
        app.add_flag("--notify", p.monitor.notify);
        option(app, "--program", p.monitor.program);
        option(app, "--textfile", p.monitor.textfile);
        app.add_flag("--once", p.monitor.once);
        option(app, "--timeout", p.monitor.timeout);
        option(app, "--config", p.monitor.config);
        // One address per --mail; repeated, they add up.
        app.add_option("--mail", p.monitor.mail)->allow_extra_args(false);
        option(app, "--sendmail", p.monitor.sendmail);
        option(app, "--remind", p.monitor.remind);
        app.add_flag("--journal", p.monitor.journal);
        app.add_flag("--json", p.monitor.json);
        app.add_flag("--test", p.monitor.test);
        return [&p](Console& c) { return monitorVerb(p.monitor, p.global, c); };
    }
    if (name == "configure") {
        app.add_option_function<std::string>(
            "layout", [&p](const std::string& v) { p.configure.layout = v; });
        option(app, "--name", p.configure.name);
        changeOptions(app, p.configure, false);
        return [&p](Console& c) { return configureVerb(p.configure, p.global, c); };
    }
    if (name == "rebuild") {
        changeOptions(app, p.rebuild, true);
        return [&p](Console& c) { return rebuildVerb(p.rebuild, p.global, c); };
    }
    changeOptions(app, p.cancelRebuild, true);
    return [&p](Console& c) { return cancelRebuildVerb(p.cancelRebuild, p.global, c); };
}

// The option a parser error is about: its messages start with the option's name.
std::string optionOf(const CLI::ParseError& e) {
    const std::string message = e.what();
    const auto colon = message.find(':');
    return colon == std::string::npos ? message : message.substr(0, colon);
}

int usageError(const Verb* verb, const std::string& problem, Console& console) {
    console.err << "norvik-raid" << (verb ? std::string(" ") + verb->name : std::string()) << ": "
                << problem << "\n";
    if (verb) {
        console.err << verbUsage(*verb);
    } else {
        console.err << text("USAGE_MAIN") << "\n" << text("USAGE_MAIN_MORE") << "\n";
    }
    return kUsageError;
}

}  // namespace

const char* version() {
    return NORVIK_VERSION;
}

int runCommandLine(const std::vector<std::string>& args, Console& console) {
    // "help" is a word of its own only in the first place.
    if (!args.empty() && args.size() <= 2 && args.front() == "help") {
        const Verb* verb = args.size() == 2 ? findVerb(args[1]) : nullptr;
        if (args.size() == 1 || verb) {
            if (verb) {
                console.out << verbHelp(*verb);
            } else {
                printMainUsage(console.out);
            }
            return 0;
        }
    }

    Parsed parsed;
    CLI::App app("", "norvik-raid");
    app.set_help_flag();
    app.allow_extras();
    app.add_flag("--simulator", parsed.global.simulator);
    app.add_flag("-h,--help", parsed.help);
    app.add_flag("-V,--version", parsed.version);
    app.require_subcommand(0, 1);

    struct Declared {
        const Verb* verb;
        CLI::App* app;
        Run run;
    };
    std::vector<Declared> declared;
    for (const Verb& verb : verbs()) {
        CLI::App* sub = app.add_subcommand(verb.name, text(verb.summaryKey));
        // The options every verb shares may follow the verb's name.
        sub->fallthrough();
        sub->allow_extras();
        sub->set_help_flag();
        declared.push_back({&verb, sub, declare(verb, *sub, parsed)});
    }
    const auto chosen = [&]() -> const Declared* {
        for (const Declared& d : declared) {
            if (d.app->parsed()) {
                return &d;
            }
        }
        return nullptr;
    };

    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::ArgumentMismatch& e) {
        const Declared* verb = chosen();
        return usageError(verb ? verb->verb : nullptr, text("CLI_NEEDS_VALUE", {optionOf(e)}),
                          console);
    } catch (const CLI::ParseError& e) {
        const Declared* verb = chosen();
        return usageError(verb ? verb->verb : nullptr, text("CLI_BAD_VALUE", {optionOf(e)}),
                          console);
    }
    const Declared* verb = chosen();
    for (const std::string& extra : app.remaining(true)) {
        if (extra == "--") {
            continue;
        }
        const bool isOption = extra.size() > 1 && extra[0] == '-';
        if (!verb && !isOption) {
            return usageError(nullptr, text("CLI_UNKNOWN_VERB", {extra}), console);
        }
        return usageError(
            verb ? verb->verb : nullptr,
            text(isOption ? "CLI_UNKNOWN_OPTION" : "CLI_UNEXPECTED_ARGUMENT", {extra}), console);
    }

    if (parsed.version) {
        console.out << "norvik-raid " << version() << "\n";
        return 0;
    }
    if (parsed.help) {
        if (verb) {
            console.out << verbHelp(*verb->verb);
        } else {
            printMainUsage(console.out);
        }
        return 0;
    }
    if (!verb) {
        return usageError(nullptr, text("CLI_NO_VERB"), console);
    }
    try {
        return verb->run(console);
    } catch (const UsageError& e) {
        return usageError(verb->verb, e.what(), console);
    }
}

int runCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    Console console = Console::standard();
    Console redirected{console.in, console.inputIsTerminal, out,
                       err};  // neither a terminal nor the journal
    return runCommandLine(args, redirected);
}

}  // namespace cli
