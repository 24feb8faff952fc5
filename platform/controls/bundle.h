// The application's resources and its localized string table.
//
// String tables are JSON objects mapping keys to texts, one file per language
// at <resources>/strings/<language>.json. A key the table lacks falls back to
// the English table, then to the key itself, so nothing is ever shown blank.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class Bundle {
  public:
    // Loads the table of `language` ("de_DE" tries de_DE, then de), with the
    // English table behind it. A table that is missing or malformed is
    // reported once on stderr; its keys then show as themselves.
    Bundle(std::filesystem::path resourceDirectory, const std::string& language);

    // The process's bundle: resources at <dir of exe>/../share/norvik-raid-utility,
    // language from the environment (see preferredLanguage).
    static Bundle& mainBundle();

    // The language the environment asks for: the first entry of LANGUAGE,
    // else LC_ALL, LC_MESSAGES, LANG; encoding and modifier stripped
    // ("de_DE.UTF-8" -> "de_DE"); "en" when none is set or it is C/POSIX.
    static std::string preferredLanguage();

    // The candidate table names for a language, most specific first, always
    // ending in "en": "de_DE" -> {"de_DE", "de", "en"}.
    static std::vector<std::string> languageFallbacks(const std::string& language);

    // The text for `key`, or the key itself when no table has an entry.
    std::string localizedString(const std::string& key) const;

    // <resources>/<name>.<type>, or the first such file in a subfolder of the
    // resources (icons/...), when one exists; type may be empty.
    std::optional<std::filesystem::path> pathForResource(const std::string& name,
                                                         const std::string& type) const;

    const std::filesystem::path& resourcePath() const { return resourceDirectory_; }
    // The table names that were loaded, most specific first (empty: none).
    const std::vector<std::string>& loadedLanguages() const { return loadedLanguages_; }

    // Makes `bundle` the main bundle until destroyed (tests); nests.
    class ScopedMainBundle {
      public:
        explicit ScopedMainBundle(Bundle& bundle);
        ~ScopedMainBundle();
        ScopedMainBundle(const ScopedMainBundle&) = delete;
        ScopedMainBundle& operator=(const ScopedMainBundle&) = delete;

      private:
        Bundle* previous_;
    };

  private:
    std::filesystem::path resourceDirectory_;
    std::vector<std::string> loadedLanguages_;
    // Most specific table first.
    std::vector<std::map<std::string, std::string>> tables_;
};

}  // namespace platform
