// configure, rebuild and cancel-rebuild: the model's operations from the
// command line. Each prints its plan, asks the window's warnings on the
// terminal, gets the right to change the enclosure, and makes the change.
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>

#include "backends/backend_choice.h"
#include "cli/authentication_agent.h"
#include "cli/backend_session.h"
#include "cli/change_target.h"
#include "cli/texts.h"
#include "cli/verbs.h"
#include "model/mirror_rebuild.h"
#include "model/rebuild_cancellation.h"
#include "model/utf8.h"
#include "model/volume_configuration.h"

namespace cli {

namespace {

using json = nlohmann::ordered_json;

// Exit statuses of the changing verbs.
constexpr int kDone = 0;
constexpr int kNotDone = 1;  // declined, refused, or nothing to do
constexpr int kControllerFailed = 2;
constexpr int kNotAuthorized = 4;

// The name field's limit: 15 UTF-16 code units, as the window counts them.
constexpr std::size_t kNameMaxLength = 15;

// What a verb planned, ready to be shown, confirmed and made.
struct Prepared {
    json plan;
    std::string planText;
    std::optional<ChangeRefusal> refusal;
    ChangeWarnings warnings;
    std::function<MV_U8()> execute;
    std::string done;
    const char* failureTitle = "";
    std::function<LocalizedText(MV_U8)> failureInformation;
};

using Prepare = std::function<Prepared(const std::shared_ptr<MarvellController>&)>;

json diskJson(const MarvellDisk& disk) {
    return {{"slot", disk.slot()}, {"model", disk.modelNumber()}, {"serial", disk.serialNumber()}};
}

std::string diskLine(const char* key, const MarvellDisk& disk) {
    return text(key, {disk.slot(), disk.modelNumber(), disk.serialNumber()}) + "\n";
}

json volumeJson(const MarvellRAIDSet& set) {
    return {{"id", set.vdid()}, {"name", volumeDisplayName(set)}};
}

struct Outcome {
    const char* result;
    int exitStatus;
    std::string message;
    std::optional<MV_U8> libraryStatus;
};

Outcome notDone(const char* result, std::string message) {
    return {result, kNotDone, std::move(message), std::nullopt};
}

Outcome notAuthorized(const std::string& why) {
    return {"not-authorized", kNotAuthorized,
            text("NOT_AUTHORIZED_TITLE") + "\n" +
                text("NOT_AUTHORIZED_BODY", {why, backends::changeAuthorizationAction()}),
            std::nullopt};
}

std::string trimmed(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    return first == std::string::npos ? std::string()
                                      : s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

// Asks each warning on the terminal; only a typed "yes" goes on.
bool confirmedOnTerminal(const ChangeWarnings& warnings, Console& console, std::ostream& talk) {
    for (const ChangeWarning& warning : warnings) {
        talk << "\n"
             << warning.message.text() << "\n"
             << warning.information.text() << "\n"
             << text("PROMPT_YES") << std::flush;
        std::string answer;
        if (!std::getline(console.in, answer) || trimmed(answer) != "yes") {
            return false;
        }
    }
    return true;
}

class ChangeRun {
  public:
    ChangeRun(const char* verb, const ChangeOptions& options, Console& console)
        : verb_(verb), options_(options), console_(console) {}

    int run(const GlobalOptions& global, const Prepare& prepare) {
        BackendSession session(global.simulator);
        if (!session.backends().libraryProblem.empty()) {
            talk() << "norvik-raid " << verb_ << ": " << session.backends().libraryProblem << "\n";
        }
        return finish(carryOut(session.backends(), prepare));
    }

  private:
    std::ostream& talk() { return options_.json ? console_.err : console_.out; }

    Outcome carryOut(const backends::Backends& chosen, const Prepare& prepare) {
        Prepared change;
        try {
            const auto controllers = readControllers();
            const auto controller = chooseController(controllers, options_.controller);
            change = prepare(controller);
        } catch (const NothingToDo& e) {
            return notDone("nothing-to-do", e.what());
        }
        plan_ = change.plan;
        talk() << change.planText;
        if (change.refusal) {
            return notDone("refused", change.refusal->message.text() + "\n" +
                                          change.refusal->information.text());
        }
        if (!options_.yes) {
            if (!console_.inputIsTerminal) {
                return notDone("declined", text("CLI_NEEDS_TERMINAL"));
            }
            if (!confirmedOnTerminal(change.warnings, console_, talk())) {
                return notDone("declined", text("CLI_DECLINED"));
            }
        }

        // The password is asked on this terminal, as systemctl does.
        std::unique_ptr<TextAuthenticationAgent> agent;
        if (backends::changesNeedAuthorization(chosen) && console_.inputIsTerminal) {
            agent = TextAuthenticationAgent::start();
        }
        if (const auto refused = backends::authorizeChanges(chosen)) {
            return notAuthorized(*refused);
        }
        const MV_U8 status = change.execute();
        if (const std::string refused = backends::changeRefusal(chosen); !refused.empty()) {
            return notAuthorized(refused);
        }
        if (status != library_status::kSuccess) {
            return {"failed", kControllerFailed,
                    text(change.failureTitle) + "\n" + change.failureInformation(status).text(),
                    status};
        }
        return {"done", kDone, change.done, status};
    }

    int finish(const Outcome& outcome) {
        if (options_.json) {
            const json doc = {
                {"output_version", 1},
                {"verb", verb_},
                {"plan", plan_},
                {"outcome",
                 {{"result", outcome.result},
                  {"library_status",
                   outcome.libraryStatus ? json(*outcome.libraryStatus) : json(nullptr)},
                  {"message", outcome.message}}}};
            console_.out << doc.dump(2, ' ', false, json::error_handler_t::replace) << "\n";
            if (outcome.exitStatus != kDone) {
                console_.err << "norvik-raid " << verb_ << ": " << outcome.message << "\n";
            }
        } else if (outcome.exitStatus == kDone) {
            console_.out << outcome.message << "\n";
        } else {
            console_.err << "norvik-raid " << verb_ << ": " << outcome.message << "\n";
        }
        return outcome.exitStatus;
    }

    const char* verb_;
    const ChangeOptions& options_;
    Console& console_;
    json plan_ = nullptr;
};

// UTF-16 code units, as the window's name field counts them.
std::size_t nameLength(const std::string& name) {
    std::size_t units = 0;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto byte = static_cast<unsigned char>(name[i]);
        if ((byte & 0xC0) != 0x80) {
            units += byte >= 0xF0 ? 2 : 1;
        }
    }
    return units;
}

struct Layout {
    const char* word;
    int code;
    const char* planKey;
};

constexpr Layout kLayouts[] = {
    {"raid0", VolumeConfiguration::kLayoutRAID0, "PLAN_CONFIGURE_RAID0"},
    {"raid1", VolumeConfiguration::kLayoutRAID1, "PLAN_CONFIGURE_RAID1"},
    {"individual", VolumeConfiguration::kLayoutIndividualDisks, "PLAN_CONFIGURE_INDIVIDUAL"},
};

const Layout& layoutNamed(const std::optional<std::string>& word) {
    if (!word) {
        throw UsageError(text("CLI_NEEDS_LAYOUT"));
    }
    for (const Layout& layout : kLayouts) {
        if (*word == layout.word) {
            return layout;
        }
    }
    throw UsageError(text("CLI_BAD_LAYOUT", {*word}));
}

}  // namespace

int configureVerb(const ChangeOptions& options, const GlobalOptions& global, Console& console) {
    const Layout& layout = layoutNamed(options.layout);
    const std::string name = options.name.value_or("");
    if (!isValidUTF8(name) || nameLength(name) > kNameMaxLength) {
        throw UsageError(text("CLI_BAD_NAME", {static_cast<int>(kNameMaxLength)}));
    }
    if (options.name && layout.code == VolumeConfiguration::kLayoutIndividualDisks) {
        throw UsageError(text("CLI_NAME_WITHOUT_VOLUME"));
    }
    return ChangeRun("configure", options, console)
        .run(global, [&](const std::shared_ptr<MarvellController>& controller) {
            const MarvellController& c = *controller;
            const auto planned = VolumeConfiguration::plan(controller, layout.code, name);
            Prepared change;
            const bool individual = layout.code == VolumeConfiguration::kLayoutIndividualDisks;
            const std::string given = planned ? planned->name() : name;
            change.plan = {{"controller", c.cid()},
                           {"layout", layout.word},
                           {"name", individual ? json(nullptr) : json(given)},
                           {"volumes_deleted", json::array()},
                           {"disks", json::array()}};
            change.planText = text(layout.planKey, {c.cid(), given}) + "\n";
            for (const auto& set : c.raidSets()) {
                change.plan["volumes_deleted"].push_back(volumeJson(*set));
                change.planText +=
                    text("PLAN_DELETES_VOLUME", {volumeDisplayName(*set), set->vdid()}) + "\n";
            }
            for (const auto& disk : c.disks()) {
                change.plan["disks"].push_back(diskJson(*disk));
                change.planText += diskLine(individual ? "PLAN_DISK" : "PLAN_DISK_ERASED", *disk);
            }
            if (!planned) {
                change.refusal = planned.refusal();
                return change;
            }
            change.warnings = planned->warnings();
            change.execute = [configuration = *planned] { return configuration.execute(); };
            change.done = text("SUCCESS_TITLE") + "\n" + planned->successInformation().text();
            change.failureTitle = "ERROR_SETCONFIG_TITLE";
            change.failureInformation = &VolumeConfiguration::failureInformation;
            return change;
        });
}

int rebuildVerb(const ChangeOptions& options, const GlobalOptions& global, Console& console) {
    return ChangeRun("rebuild", options, console)
        .run(global, [&](const std::shared_ptr<MarvellController>& controller) {
            const MarvellController& c = *controller;
            const auto set = chooseVolume(
                c, options.volume,
                [](int status) { return status == library_status::kSetDegraded; },
                "CLI_NO_DEGRADED_VOLUME");
            const int status = set->status();
            if (status != library_status::kSetDegraded) {
                throw NothingToDo(text(
                    "CLI_VOLUME_NOT_DEGRADED",
                    {volumeDisplayName(*set), set->vdid(), MarvellRAIDSet::statusText(status)}));
            }
            const auto planned = MirrorRebuild::plan(controller, set);
            Prepared change;
            change.plan = {
                {"controller", c.cid()}, {"volume", volumeJson(*set)}, {"disks", json::array()}};
            change.planText =
                text("PLAN_REBUILD", {volumeDisplayName(*set), set->vdid(), c.cid()}) + "\n";
            if (!planned) {
                change.refusal = planned.refusal();
                return change;
            }
            if (const auto& survivor = planned->survivor()) {
                json from = diskJson(*survivor);
                from["role"] = "survivor";
                change.plan["disks"].push_back(from);
                change.planText += diskLine("PLAN_REBUILD_FROM", *survivor);
            } else {
                change.planText +=
                    text("PLAN_REBUILD_FROM_UNLISTED", {planned->survivorHDID() - 1}) + "\n";
            }
            json onto = diskJson(*planned->replacement());
            onto["role"] = "replacement";
            change.plan["disks"].push_back(onto);
            change.planText += diskLine("PLAN_REBUILD_ONTO", *planned->replacement());
            change.warnings = planned->warnings();
            change.execute = [rebuild = *planned] { return rebuild.execute(); };
            change.done = text("DONE_REBUILD");
            change.failureTitle = "ERROR_REBUILD_TITLE";
            change.failureInformation = &MirrorRebuild::failureInformation;
            return change;
        });
}

int cancelRebuildVerb(const ChangeOptions& options, const GlobalOptions& global, Console& console) {
    return ChangeRun("cancel-rebuild", options, console)
        .run(global, [&](const std::shared_ptr<MarvellController>& controller) {
            const MarvellController& c = *controller;
            const auto set = chooseVolume(
                c, options.volume,
                [](int status) { return status == library_status::kSetRebuilding; },
                "CLI_NO_REBUILDING_VOLUME");
            const auto planned = RebuildCancellation::plan(set);
            Prepared change;
            change.plan = {
                {"controller", c.cid()}, {"volume", volumeJson(*set)}, {"disks", json::array()}};
            change.planText =
                text("PLAN_CANCEL_REBUILD", {volumeDisplayName(*set), set->vdid(), c.cid()}) + "\n";
            for (const int hdid : set->disks()) {
                if (const auto disk = c.findDiskByHDID(static_cast<std::uint16_t>(hdid))) {
                    change.plan["disks"].push_back(diskJson(*disk));
                    change.planText += diskLine("PLAN_DISK", *disk);
                }
            }
            if (!planned) {
                change.refusal = planned.refusal();
                return change;
            }
            change.warnings = planned->warnings();
            change.execute = [cancellation = *planned] { return cancellation.execute(); };
            change.done = text("DONE_CANCEL_REBUILD");
            change.failureTitle = "ERROR_CANCEL_REBUILD_TITLE";
            change.failureInformation = &RebuildCancellation::failureInformation;
            return change;
        });
}

}  // namespace cli
