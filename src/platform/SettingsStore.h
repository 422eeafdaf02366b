#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quorvel {

// Per-user text values addressed by application, section and key.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // The stored text (possibly empty), or nothing when the key does not exist.
    virtual std::optional<std::string> read(const std::string& application,
                                            const std::string& section, const std::string& key) = 0;
    virtual void write(const std::string& application, const std::string& section,
                       const std::string& key, const std::string& value) = 0;
    // The keys of a section, written ones included, in no particular order.
    virtual std::vector<std::string> keys(const std::string& application,
                                          const std::string& section) = 0;
    // Puts what was written on disk in one piece; false when that failed.
    virtual bool commit() = 0;
};

} // namespace quorvel
