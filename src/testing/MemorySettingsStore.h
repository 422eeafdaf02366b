#pragma once

#include "platform/SettingsStore.h"

#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace quorvel {

// Settings held in memory, for tests: values can be seeded, the order of the writes is
// kept, and commit() can be told to fail.
class MemorySettingsStore : public SettingsStore {
public:
    struct Write {
        std::string application;
        std::string section;
        std::string key;
        std::string value;
        bool operator==(const Write&) const = default;
    };

    std::optional<std::string> read(const std::string& application, const std::string& section,
                                    const std::string& key) override {
        const auto it = values_.find({application, section, key});
        if (it == values_.end()) {
            return std::nullopt;
        }
        return it->second;
    }

    void write(const std::string& application, const std::string& section, const std::string& key,
               const std::string& value) override {
        values_[{application, section, key}] = value;
        writes_.push_back({application, section, key, value});
    }

    std::vector<std::string> keys(const std::string& application,
                                  const std::string& section) override {
        std::vector<std::string> found;
        for (const auto& [where, value] : values_) {
            if (std::get<0>(where) == application && std::get<1>(where) == section)
                found.push_back(std::get<2>(where));
        }
        return found;
    }

    bool commit() override {
        ++commits_;
        return !failCommit_;
    }

    // Puts a value in place without counting it as a write.
    void seed(const std::string& application, const std::string& section, const std::string& key,
              const std::string& value) {
        values_[{application, section, key}] = value;
    }

    void setCommitFails(bool fails) { failCommit_ = fails; }

    // Every write in the order it was made.
    const std::vector<Write>& writes() const { return writes_; }
    // The (key, value) pairs of the writes, in order.
    std::vector<std::pair<std::string, std::string>> writtenPairs() const {
        std::vector<std::pair<std::string, std::string>> pairs;
        pairs.reserve(writes_.size());
        for (const Write& w : writes_) {
            pairs.emplace_back(w.key, w.value);
        }
        return pairs;
    }
    int commits() const { return commits_; }

private:
    std::map<std::tuple<std::string, std::string, std::string>, std::string> values_;
    std::vector<Write> writes_;
    int commits_ = 0;
    bool failCommit_ = false;
};

} // namespace quorvel
