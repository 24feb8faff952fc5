// Replacing a file so that a reader sees the old contents or the new, never
// a part: a temporary file in the same directory, written, synced, given its
// mode, then renamed over the old one.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <string_view>

namespace cli {

enum class Durability {
    Synced,     // on disk before the rename, and the rename synced too
    CacheOnly,  // a cache that may be lost in a crash: no syncing
};

// Empty on success, else what failed (naming the file). The temporary file
// never ends in the target's extension, so collectors that read "*.prom"
// never see it, and it is removed when anything fails.
std::string writeFileAtomically(const std::filesystem::path& file,
                                std::string_view contents,
                                mode_t mode = 0644,
                                Durability durability = Durability::Synced);

}  // namespace cli
