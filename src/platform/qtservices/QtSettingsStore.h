#pragma once

#include "platform/SettingsStore.h"

#include <QString>
#include <QVariant>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace quorvel {

// Settings kept in one INI file per application, <configFolder>/<application>.ini, the
// section as the group. Writes wait in memory until commit(), which saves each touched
// file through a temporary file and a rename, so a file is never left half written.
class QtSettingsStore : public SettingsStore {
public:
    explicit QtSettingsStore(std::string configFolder);

    std::optional<std::string> read(const std::string& application, const std::string& section,
                                    const std::string& key) override;
    void write(const std::string& application, const std::string& section, const std::string& key,
               const std::string& value) override;
    std::vector<std::string> keys(const std::string& application,
                                  const std::string& section) override;
    bool commit() override;

private:
    QString fileOf(const std::string& application) const;

    std::string configFolder_;
    // Per application, the writes not yet on disk, in the order they were made. A failed
    // commit keeps them, so a later commit can still save them.
    std::map<std::string, std::vector<std::pair<QString, QVariant>>> pending_;
};

} // namespace quorvel
