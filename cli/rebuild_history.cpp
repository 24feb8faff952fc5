#include "cli/rebuild_history.h"

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>

#include "cli/atomic_file.h"
#include "model/rebuild_estimate.h"

namespace cli {

namespace {

using nlohmann::json;

std::string keyOf(int adapter, const VolumeReading& v) {
    return std::to_string(adapter) + "/" + std::to_string(v.id) + "/" + v.name.value_or("");
}

long long ticks(platform::TimePoint t) {
    return t.time_since_epoch().count();
}

json load(const std::filesystem::path& file) {
    std::ifstream in(file);
    if (!in) {
        return json::object();
    }
    json stored = json::parse(in, nullptr, false);
    return stored.is_object() ? stored : json::object();
}

}  // namespace

RebuildHistory RebuildHistory::atDefaultPlace() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || !*runtime) {
        return RebuildHistory(std::nullopt);
    }
    return RebuildHistory(std::filesystem::path(runtime) / "norvik-raid" / "rebuild-progress.json");
}

void RebuildHistory::track(EnclosureReading& reading, platform::TimePoint now) {
    if (!file_) {
        return;
    }
    const json stored = load(*file_);
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
                    // A time after now belongs to the steady clock of an earlier boot.
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
        return;
    }
    ::mkdir(file_->parent_path().c_str(), 0700);
    writeFileAtomically(*file_, kept.dump() + "\n", 0600, Durability::CacheOnly);
}

}  // namespace cli
