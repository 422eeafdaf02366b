#include "platform/qtservices/QtSettingsStore.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStringList>
#include <QStringLiteral>

namespace quorvel {

namespace {

QString keyPath(const std::string& section, const std::string& key) {
    return QString::fromStdString(section) + QLatin1Char('/') + QString::fromStdString(key);
}

// Valid UTF-8 is kept as readable text; other bytes (a folder name the file system holds
// in another encoding) are kept as a byte array so that they come back unchanged.
QVariant toStored(const std::string& value) {
    const QString text = QString::fromStdString(value);
    if (text.toStdString() == value) {
        return text;
    }
    return QByteArray(value.data(), static_cast<qsizetype>(value.size()));
}

std::string fromStored(const QVariant& stored) {
    if (stored.typeId() == QMetaType::QByteArray) {
        return stored.toByteArray().toStdString();
    }
    // A file edited by hand may hold an unquoted comma, which the INI reader splits.
    if (stored.typeId() == QMetaType::QStringList) {
        return stored.toStringList().join(QStringLiteral(", ")).toStdString();
    }
    return stored.toString().toStdString();
}

} // namespace

QtSettingsStore::QtSettingsStore(std::string configFolder)
    : configFolder_(std::move(configFolder)) {}

QString QtSettingsStore::fileOf(const std::string& application) const {
    return QDir(QFile::decodeName(configFolder_.c_str()))
        .filePath(QFile::decodeName(application.c_str()) + QStringLiteral(".ini"));
}

std::optional<std::string> QtSettingsStore::read(const std::string& application,
                                                 const std::string& section,
                                                 const std::string& key) {
    const QString path = keyPath(section, key);
    if (auto unsaved = pending_.find(application); unsaved != pending_.end()) {
        // The latest write of the key wins.
        for (auto it = unsaved->second.rbegin(); it != unsaved->second.rend(); ++it) {
            if (it->first == path) {
                return fromStored(it->second);
            }
        }
    }
    const QSettings settings(fileOf(application), QSettings::IniFormat);
    if (!settings.contains(path)) {
        return std::nullopt;
    }
    return fromStored(settings.value(path));
}

void QtSettingsStore::write(const std::string& application, const std::string& section,
                            const std::string& key, const std::string& value) {
    pending_[application].emplace_back(keyPath(section, key), toStored(value));
}

std::vector<std::string> QtSettingsStore::keys(const std::string& application,
                                               const std::string& section) {
    QSettings settings(fileOf(application), QSettings::IniFormat);
    settings.beginGroup(QString::fromStdString(section));
    QStringList found = settings.childKeys();
    if (auto unsaved = pending_.find(application); unsaved != pending_.end()) {
        const QString prefix = QString::fromStdString(section) + QLatin1Char('/');
        for (const auto& [path, value] : unsaved->second) {
            if (path.startsWith(prefix) && !found.contains(path.mid(prefix.size())))
                found.push_back(path.mid(prefix.size()));
        }
    }
    std::vector<std::string> keys;
    for (const QString& key : found)
        keys.push_back(key.toStdString());
    return keys;
}

bool QtSettingsStore::commit() {
    bool allSaved = true;
    for (auto it = pending_.begin(); it != pending_.end();) {
        // A fresh object for every attempt: QSettings keeps the first error it met for
        // good, which would make every later commit look failed.
        QSettings settings(fileOf(it->first), QSettings::IniFormat);
        for (const auto& [path, value] : it->second) {
            settings.setValue(path, value);
        }
        settings.sync();
        if (settings.status() == QSettings::NoError) {
            it = pending_.erase(it);
        } else {
            allSaved = false;
            ++it;
        }
    }
    return allSaved;
}

} // namespace quorvel
