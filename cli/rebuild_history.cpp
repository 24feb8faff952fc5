#include "cli/rebuild_history.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>

#include "cli/atomic_file.h"
#include "cli/texts.h"
#include "model/rebuild_estimate.h"

namespace cli {

namespace {

using nlohmann::json;

constexpr const char* kFileName = "rebuild-progress.json";

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string keyOf(int adapter, const VolumeReading& v) {
    return std::to_string(adapter) + "/" + std::to_string(v.id) + "/" + v.name.value_or("");
}

long long ticks(platform::TimePoint t) {
    return t.time_since_epoch().count();
}

bool anyRebuild(const EnclosureReading& reading) {
    for (const ControllerReading& c : reading.controllers) {
        for (const VolumeReading& v : c.volumes) {
            if (v.progressPercent) {
                return true;
            }
        }
    }
    return false;
}

// The volumes' readings as this boot took them; nothing from another boot.
json loadVolumes(const std::filesystem::path& file, const std::string& bootId) {
    std::ifstream in(file);
    if (!in) {
        return json::object();
    }
    const json stored = json::parse(in, nullptr, false);
    if (!stored.is_object() || stored.value("boot_id", json()) != json(bootId)) {
        return json::object();
    }
    const json volumes = stored.value("volumes", json());
    return volumes.is_object() ? volumes : json::object();
}

// The folder for the file, private to its owner; the folders above as the
// umask gives them.
void makeFolder(const std::filesystem::path& folder) {
    std::error_code ignored;
    std::filesystem::create_directories(folder.parent_path(), ignored);
    ::mkdir(folder.c_str(), 0700);
}

}  // namespace

HistoryPlaces HistoryPlaces::fromEnvironment() {
    HistoryPlaces places;
    places.runtimeDirectory = environment("XDG_RUNTIME_DIR");
    places.stateHome = environment("XDG_STATE_HOME");
    places.home = environment("HOME");
    if (places.home.empty()) {
        // Some agents start checks without HOME.
        if (const passwd* user = ::getpwuid(::getuid()); user && user->pw_dir) {
            places.home = user->pw_dir;
        }
    }
    places.root = ::geteuid() == 0;
    return places;
}

std::optional<std::filesystem::path> HistoryPlaces::historyFile() const {
    // Relative values are invalid by the base-directory rules: ignored.
    const auto usable = [](const std::string& dir) { return !dir.empty() && dir.front() == '/'; };
    std::filesystem::path folder;
    if (usable(runtimeDirectory)) {
        folder = runtimeDirectory;
    } else if (usable(stateHome)) {
        folder = stateHome;
    } else if (root) {
        folder = "/run";
    } else if (usable(home)) {
        folder = std::filesystem::path(home) / ".local" / "state";
    } else {
        return std::nullopt;
    }
    return folder / "norvik-raid" / kFileName;
}

RebuildHistory RebuildHistory::atDefaultPlace() {
    return RebuildHistory(HistoryPlaces::fromEnvironment().historyFile());
}

std::string RebuildHistory::currentBootId() {
    std::ifstream in("/proc/sys/kernel/random/boot_id");
    std::string id;
    std::getline(in, id);
    return id;
}

std::string RebuildHistory::track(EnclosureReading& reading, platform::TimePoint now) {
    const bool rebuilding = anyRebuild(reading);
    if (!file_) {
        return rebuilding ? text("REBUILD_ESTIMATE_NO_PLACE") : std::string();
    }
    const json stored = loadVolumes(*file_, bootId_);
    json kept = json::object();
    for (ControllerReading& c : reading.controllers) {
        for (VolumeReading& v : c.volumes) {
            if (!v.progressPercent) {
                continue;
            }
            const std::string key = keyOf(c.adapter, v);
            json readings = json::array();
            if (auto it = stored.find(key); it != stored.end() && it->is_array()) {
                for (const json& r : *it) {
                    // A time after now is not this clock's.
                    if (r.is_array() && r.size() == 2 && r[0].is_number_integer() &&
                        r[1].is_number_integer() && r[0].get<long long>() <= ticks(now)) {
                        readings.push_back(r);
                    }
                }
            }
            // Only the changes time the steps; a repeated percentage adds nothing.
            if (readings.empty() || readings.back()[1].get<int>() != *v.progressPercent) {
                readings.push_back({ticks(now), *v.progressPercent});
            }
            while (readings.size() > kKept) {
                readings.erase(readings.begin());
            }
            RebuildEstimate estimate;
            for (const json& r : readings) {
                estimate.addReading(platform::TimePoint(platform::Duration(r[0].get<long long>())),
                                    r[1].get<int>());
            }
            v.secondsRemaining = estimate.secondsRemaining(now);
            kept[key] = std::move(readings);
        }
    }
    if (kept.empty() && stored.empty()) {
        return {};
    }
    makeFolder(file_->parent_path());
    const json document = {{"boot_id", bootId_}, {"volumes", std::move(kept)}};
    const std::string problem =
        writeFileAtomically(*file_, document.dump() + "\n", 0600, Durability::CacheOnly);
    if (problem.empty() || !rebuilding) {
        return {};
    }
    return text("REBUILD_ESTIMATE_NOT_KEPT", {problem});
}

}  // namespace cli
