#include "platform/controls/bundle.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <optional>

namespace platform {
namespace {

namespace fs = std::filesystem;

// A throw-away resource folder.
class ResourceDir {
  public:
    ResourceDir() {
        std::string pattern = (fs::temp_directory_path() / "norvik-bundle-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
        fs::create_directories(path_ / "strings");
    }
    ~ResourceDir() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    void write(const fs::path& relative, const std::string& text) const {
        fs::create_directories((path_ / relative).parent_path());
        std::ofstream(path_ / relative) << text;
    }
    void table(const std::string& language, const std::string& json) const {
        write(fs::path("strings") / (language + ".json"), json);
    }
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

// Sets (or unsets, for nullopt) an environment variable for a scope.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        set(value);
    }
    ~ScopedEnv() { set(old_); }

  private:
    void set(const std::optional<std::string>& value) {
        if (value) {
            ::setenv(name_, value->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    const char* name_;
    std::optional<std::string> old_;
};

class BundleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_.table("en", R"({"HELLO": "Hello", "ONLY_EN": "English only", "DISK_1": "Disk 1"})");
        dir_.table("de", R"({"HELLO": "Hallo"})");
        dir_.table("de_AT", R"({"HELLO": "Servus"})");
    }
    ResourceDir dir_;
};

TEST_F(BundleTest, LooksUpMostSpecificTableThenFallsBack) {
    Bundle austrian(dir_.path(), "de_AT");
    EXPECT_EQ(austrian.localizedString("HELLO"), "Servus");
    EXPECT_EQ(austrian.localizedString("ONLY_EN"), "English only");
    EXPECT_THAT(austrian.loadedLanguages(), ::testing::ElementsAre("de_AT", "de", "en"));

    Bundle german(dir_.path(), "de_DE.UTF-8");
    EXPECT_EQ(german.localizedString("HELLO"), "Hallo");

    Bundle french(dir_.path(), "fr_FR");
    EXPECT_EQ(french.localizedString("HELLO"), "Hello");
}

TEST_F(BundleTest, KeyWithoutEntryShowsAsItself) {
    Bundle bundle(dir_.path(), "en");
    EXPECT_EQ(bundle.localizedString("NO_SUCH_KEY"), "NO_SUCH_KEY");
    EXPECT_EQ(bundle.localizedString(""), "");
}

TEST_F(BundleTest, MalformedTableIsReportedOnceAndFallsThrough) {
    dir_.table("fr", R"({"HELLO": "Bonjour", )");  // cut off
    ::testing::internal::CaptureStderr();
    Bundle bundle(dir_.path(), "fr");
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_THAT(errors, ::testing::HasSubstr("fr.json"));
    EXPECT_EQ(bundle.localizedString("HELLO"), "Hello");

    ::testing::internal::CaptureStderr();
    (void)bundle.localizedString("HELLO");
    (void)bundle.localizedString("OTHER");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST_F(BundleTest, NonTextEntriesAreSkippedWithAMessage) {
    dir_.table("it", R"({"HELLO": 5, "BYE": "Ciao", "LIST": ["a"]})");
    ::testing::internal::CaptureStderr();
    Bundle bundle(dir_.path(), "it");
    EXPECT_THAT(::testing::internal::GetCapturedStderr(), ::testing::HasSubstr("2 entries"));
    EXPECT_EQ(bundle.localizedString("BYE"), "Ciao");
    EXPECT_EQ(bundle.localizedString("HELLO"), "Hello");
}

TEST(Bundle, NoTableAtAllShowsKeysAndSaysSo) {
    ResourceDir empty;
    ::testing::internal::CaptureStderr();
    Bundle bundle(empty.path(), "en");
    EXPECT_THAT(::testing::internal::GetCapturedStderr(), ::testing::HasSubstr("no string table"));
    EXPECT_EQ(bundle.localizedString("HELLO"), "HELLO");

    ResourceDir arrayTable;
    arrayTable.table("en", R"(["HELLO"])");
    ::testing::internal::CaptureStderr();
    Bundle fromArray(arrayTable.path(), "en");
    EXPECT_THAT(::testing::internal::GetCapturedStderr(),
                ::testing::HasSubstr("not a JSON object"));
    EXPECT_EQ(fromArray.localizedString("HELLO"), "HELLO");
}

TEST(Bundle, LanguageCannotNameAFileOutsideTheStringsFolder) {
    EXPECT_THAT(Bundle::languageFallbacks("../../etc/passwd"), ::testing::ElementsAre("en"));
    EXPECT_THAT(Bundle::languageFallbacks("pt_BR@latin"),
                ::testing::ElementsAre("pt_BR", "pt", "en"));
    EXPECT_THAT(Bundle::languageFallbacks(""), ::testing::ElementsAre("en"));
}

struct EnvCase {
    std::optional<std::string> language, lcAll, lcMessages, lang;
    std::string expected;
};

class PreferredLanguage : public ::testing::TestWithParam<EnvCase> {};

TEST_P(PreferredLanguage, ComesFromTheFirstSetVariable) {
    const auto& c = GetParam();
    ScopedEnv language("LANGUAGE", c.language);
    ScopedEnv lcAll("LC_ALL", c.lcAll);
    ScopedEnv lcMessages("LC_MESSAGES", c.lcMessages);
    ScopedEnv lang("LANG", c.lang);
    EXPECT_EQ(Bundle::preferredLanguage(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Environment,
    PreferredLanguage,
    ::testing::Values(EnvCase{std::nullopt, std::nullopt, std::nullopt, std::nullopt, "en"},
                      EnvCase{std::nullopt, std::nullopt, std::nullopt, "de_DE.UTF-8", "de_DE"},
                      EnvCase{std::nullopt, std::nullopt, "fr_FR", "de_DE.UTF-8", "fr_FR"},
                      EnvCase{std::nullopt, "it_IT.UTF-8@euro", "fr_FR", "de_DE", "it_IT"},
                      EnvCase{"nl:de", "it_IT", "fr_FR", "de_DE", "nl"},
                      EnvCase{"", std::nullopt, std::nullopt, "sv_SE", "sv_SE"},
                      EnvCase{std::nullopt, "C", std::nullopt, "de_DE", "en"},
                      EnvCase{std::nullopt, std::nullopt, std::nullopt, "POSIX", "en"}));

TEST_F(BundleTest, FindsResourcesInTheFolderAndItsSubfolders) {
    dir_.write("icons/icon_healthcheck_ok.png", "png");
    dir_.write("MainWindow.ui", "<ui/>");
    Bundle bundle(dir_.path(), "en");
    EXPECT_EQ(bundle.pathForResource("icon_healthcheck_ok", "png"),
              dir_.path() / "icons" / "icon_healthcheck_ok.png");
    EXPECT_EQ(bundle.pathForResource("MainWindow", "ui"), dir_.path() / "MainWindow.ui");
    EXPECT_EQ(bundle.pathForResource("icon_healthcheck_wrong", "png"), std::nullopt);
    EXPECT_EQ(bundle.pathForResource("icons", ""), std::nullopt);  // a folder is no resource
    EXPECT_EQ(bundle.pathForResource("../strings/en", "json"), std::nullopt);
}

TEST_F(BundleTest, ScopedMainBundleReplacesAndRestores) {
    Bundle outer(dir_.path(), "en");
    Bundle inner(dir_.path(), "de");
    Bundle::ScopedMainBundle outerScope(outer);
    {
        Bundle::ScopedMainBundle innerScope(inner);
        EXPECT_EQ(Bundle::mainBundle().localizedString("HELLO"), "Hallo");
    }
    EXPECT_EQ(Bundle::mainBundle().localizedString("HELLO"), "Hello");
}

}  // namespace
}  // namespace platform
