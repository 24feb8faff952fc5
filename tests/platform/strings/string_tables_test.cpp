// The shipped string tables: every text of the English table exists in every
// other language, and takes the same arguments, in the same order once
// positions (%1$@) are resolved, so that no translation can print garbage or
// read past its arguments.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <regex>

#include "platform/controls/bundle.h"

namespace {

using Table = std::map<std::string, std::string>;

Table load(const std::filesystem::path& file) {
    std::ifstream in(file);
    return nlohmann::json::parse(in).get<Table>();
}

// The argument kinds a format takes, in argument order: 'd' for integers, '@' for strings.
std::vector<char> arguments(const std::string& format) {
    static const std::regex placeholder(
        R"(%(?:(\d+)\$)?[-+ 0#]*\d*(?:\.\d+)?(?:hh|h|ll|l|q|z|t|j|L)?([diuxXocs@%]))");
    std::map<int, char> byPosition;
    int next = 1;
    for (auto it = std::sregex_iterator(format.begin(), format.end(), placeholder);
         it != std::sregex_iterator(); ++it) {
        const char conversion = (*it)[2].str()[0];
        if (conversion == '%') {
            continue;
        }
        const int position = (*it)[1].matched ? std::stoi((*it)[1]) : next++;
        byPosition[position] =
            std::string("diuxXoc").find(conversion) != std::string::npos ? 'd' : '@';
    }
    std::vector<char> kinds;
    for (const auto& [position, kind] : byPosition) {
        kinds.push_back(kind);
    }
    return kinds;
}

TEST(Arguments, ResolvePositionsAndIgnorePercentSigns) {
    EXPECT_EQ(arguments("%d h %d min"), (std::vector<char>{'d', 'd'}));
    EXPECT_EQ(arguments("%2$@ on %1$d, 100%%"), (std::vector<char>{'d', '@'}));
    EXPECT_EQ(arguments("no arguments"), std::vector<char>{});
}

TEST(StringTables, EveryLanguageHasEveryEnglishTextWithTheSameArguments) {
    const std::filesystem::path dir = std::filesystem::path(NORVIK_RESOURCES_DIR) / "strings";
    const Table english = load(dir / "en.json");
    int languages = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (entry.path().extension() != ".json" || entry.path().stem() == "en") {
            continue;
        }
        ++languages;
        const Table other = load(entry.path());
        for (const auto& [key, text] : english) {
            const auto found = other.find(key);
            if (found == other.end()) {
                ADD_FAILURE() << entry.path().filename() << " lacks " << key;
                continue;
            }
            EXPECT_EQ(arguments(found->second), arguments(text))
                << entry.path().filename() << " " << key << ": " << found->second;
            EXPECT_FALSE(found->second.empty()) << entry.path().filename() << " " << key;
        }
        for (const auto& [key, text] : other) {
            EXPECT_TRUE(english.count(key)) << entry.path().filename() << " has a stray " << key;
        }
    }
    EXPECT_GE(languages, 1);
}

TEST(StringTables, AGermanSessionGetsTheGermanTable) {
    platform::Bundle german(NORVIK_RESOURCES_DIR, "de_DE");
    EXPECT_THAT(german.loadedLanguages(), ::testing::ElementsAre("de", "en"));
    EXPECT_EQ(german.localizedString("CANCEL"), "&Abbrechen");
}

}  // namespace
