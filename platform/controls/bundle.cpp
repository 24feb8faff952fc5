#include "platform/controls/bundle.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <system_error>

namespace platform {
namespace {

Bundle* gMainBundleOverride = nullptr;

std::filesystem::path defaultResourceDirectory() {
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return std::filesystem::current_path(error) / "share" / "norvik-raid-utility";
    }
    return exe.parent_path().parent_path() / "share" / "norvik-raid-utility";
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Loads one table. nullopt when the file does not exist; a file that exists
// but cannot be used is reported and yields an empty table.
std::optional<std::map<std::string, std::string>> loadTable(const std::filesystem::path& file) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) {
        return std::nullopt;
    }
    std::map<std::string, std::string> table;
    std::ifstream stream(file);
    if (!stream) {
        std::cerr << "norvik: cannot read string table " << file << "; texts show as their keys\n";
        return table;
    }
    const auto json = nlohmann::json::parse(stream, nullptr, /*allow_exceptions=*/false);
    if (json.is_discarded() || !json.is_object()) {
        std::cerr << "norvik: string table " << file
                  << " is not a JSON object of texts; texts show as their keys\n";
        return table;
    }
    std::size_t skipped = 0;
    for (const auto& [key, value] : json.items()) {
        if (value.is_string()) {
            table.emplace(key, value.get<std::string>());
        } else {
            ++skipped;
        }
    }
    if (skipped != 0) {
        std::cerr << "norvik: string table " << file << " has " << skipped
                  << " entries that are not texts; they show as their keys\n";
    }
    return table;
}

}  // namespace

Bundle::Bundle(std::filesystem::path resourceDirectory, const std::string& language)
    : resourceDirectory_(std::move(resourceDirectory)) {
    for (const auto& candidate : languageFallbacks(language)) {
        auto table = loadTable(resourceDirectory_ / "strings" / (candidate + ".json"));
        if (table) {
            loadedLanguages_.push_back(candidate);
            tables_.push_back(std::move(*table));
        }
    }
    if (tables_.empty()) {
        std::cerr << "norvik: no string table for \"" << language << "\" or English in "
                  << (resourceDirectory_ / "strings") << "; texts show as their keys\n";
    }
}

Bundle& Bundle::mainBundle() {
    if (gMainBundleOverride) {
        return *gMainBundleOverride;
    }
    static Bundle bundle(defaultResourceDirectory(), preferredLanguage());
    return bundle;
}

std::string Bundle::preferredLanguage() {
    std::string value;
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        value = environment(name);
        if (std::string_view(name) == "LANGUAGE") {
            value = value.substr(0, value.find(':'));
        }
        if (!value.empty()) {
            break;
        }
    }
    value = value.substr(0, value.find_first_of(".@"));
    if (value.empty() || value == "C" || value == "POSIX") {
        return "en";
    }
    return value;
}

std::vector<std::string> Bundle::languageFallbacks(const std::string& language) {
    std::vector<std::string> result;
    auto add = [&result](const std::string& name) {
        // A name that could leave the strings folder is no language.
        if (name.empty() || name.find_first_of("/\\") != std::string::npos || name == "." ||
            name == "..") {
            return;
        }
        for (const auto& existing : result) {
            if (existing == name) {
                return;
            }
        }
        result.push_back(name);
    };
    const std::string base = language.substr(0, language.find_first_of(".@"));
    add(base);
    add(base.substr(0, base.find_first_of("_-")));
    add("en");
    return result;
}

std::string Bundle::localizedString(const std::string& key) const {
    for (const auto& table : tables_) {
        if (auto it = table.find(key); it != table.end()) {
            return it->second;
        }
    }
    return key;
}

std::optional<std::filesystem::path> Bundle::pathForResource(const std::string& name,
                                                             const std::string& type) const {
    if (name.empty()) {
        return std::nullopt;
    }
    const std::string fileName = type.empty() ? name : name + "." + type;
    if (fileName.find('/') != std::string::npos) {
        return std::nullopt;
    }
    // The resource folder itself first, then its subfolders (icons/, ...) in name order.
    std::vector<std::filesystem::path> folders{resourceDirectory_};
    std::error_code error;
    std::vector<std::filesystem::path> subfolders;
    for (std::filesystem::directory_iterator it(resourceDirectory_, error), end;
         !error && it != end; it.increment(error)) {
        if (it->is_directory(error)) {
            subfolders.push_back(it->path());
        }
    }
    std::sort(subfolders.begin(), subfolders.end());
    folders.insert(folders.end(), subfolders.begin(), subfolders.end());
    for (const auto& folder : folders) {
        const auto file = folder / fileName;
        if (std::filesystem::is_regular_file(file, error)) {
            return file;
        }
    }
    return std::nullopt;
}

Bundle::ScopedMainBundle::ScopedMainBundle(Bundle& bundle) : previous_(gMainBundleOverride) {
    gMainBundleOverride = &bundle;
}

Bundle::ScopedMainBundle::~ScopedMainBundle() {
    gMainBundleOverride = previous_;
}

}  // namespace platform
