#include "cli/monitor_config.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include "cli/texts.h"

namespace cli {

namespace {

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// "a@b, c@d" or "a@b c@d": one address per word.
std::vector<std::string> addresses(const std::string& value) {
    std::vector<std::string> words;
    std::string word;
    for (const char c : value + " ") {
        if (c == ',' || c == ' ' || c == '\t') {
            if (!word.empty()) {
                words.push_back(word);
            }
            word.clear();
        } else {
            word += c;
        }
    }
    return words;
}

// One key's value as MonitorOptions holds it; throws UsageError when a
// switch is neither yes nor no.
void setKey(MonitorOptions& options, const std::string& key, const std::string& value) {
    if (key == "interval") {
        options.interval = value;
    } else if (key == "mail") {
        for (const std::string& address : addresses(value)) {
            options.mail.push_back(address);
        }
        if (options.mail.empty()) {
            options.mail.push_back(value);  // checked, and refused, as it is
        }
    } else if (key == "sendmail") {
        options.sendmail = value;
    } else if (key == "program") {
        options.program = value;
    } else if (key == "textfile") {
        options.textfile = value;
    } else if (key == "remind") {
        options.remind = value;
    } else if (key == "notify") {
        if (value == "yes" || value == "true" || value == "on" || value == "1") {
            options.notify = true;
        } else if (value == "no" || value == "false" || value == "off" || value == "0") {
            options.notify = false;
        } else {
            throw UsageError(text("CONFIG_BAD_SWITCH", {key, value}));
        }
    }
}

bool knownKey(const std::string& key) {
    for (const char* known :
         {"interval", "mail", "sendmail", "program", "textfile", "remind", "notify"}) {
        if (key == known) {
            return true;
        }
    }
    return false;
}

}  // namespace

MonitorOptions withConfigFile(const MonitorOptions& given,
                              const std::filesystem::path& path,
                              const std::function<void(const MonitorOptions&)>& check) {
    std::ifstream in(path);
    std::error_code error;
    if (!in || std::filesystem::is_directory(path, error)) {
        throw ConfigError(
            text("CLI_NOT_A_FILE", {path.string(), std::strerror(in ? EISDIR : errno)}));
    }
    MonitorOptions file;
    file.notify = false;
    std::optional<bool> notify;
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        const std::string content = trimmed(line);
        if (content.empty() || content.front() == '#') {
            continue;
        }
        const auto equals = content.find('=');
        const std::string key = trimmed(content.substr(0, equals));
        if (equals == std::string::npos || key.empty()) {
            throw ConfigError(text("CONFIG_NOT_KEY_VALUE", {path.string(), number}));
        }
        if (!knownKey(key)) {
            throw ConfigError(text("CONFIG_UNKNOWN_KEY", {path.string(), number, key}));
        }
        const std::string value = trimmed(content.substr(equals + 1));
        try {
            MonitorOptions alone;
            setKey(alone, key, value);
            check(alone);
            setKey(file, key, value);
            if (key == "notify") {
                notify = alone.notify;
            }
        } catch (const UsageError& e) {
            throw ConfigError(text("CONFIG_BAD_VALUE", {path.string(), number, e.what()}));
        }
    }

    // The command line wins.
    MonitorOptions merged = given;
    for (auto [mine, theirs] : {std::pair{&merged.interval, &file.interval},
                                {&merged.sendmail, &file.sendmail},
                                {&merged.program, &file.program},
                                {&merged.textfile, &file.textfile},
                                {&merged.remind, &file.remind}}) {
        if (!*mine) {
            *mine = *theirs;
        }
    }
    if (merged.mail.empty()) {
        merged.mail = file.mail;
    }
    if (!given.notify && notify) {
        merged.notify = *notify;
    }
    return merged;
}

}  // namespace cli
