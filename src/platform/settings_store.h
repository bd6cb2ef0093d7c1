// The settings store: string values under a section and a name, as the program
// keeps them between runs (sections "options", "forms", "exp\4", ...). The editor
// backs it with QSettings; tests and the batch tool use the in-memory store.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>

namespace ovik::platform {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual std::optional<std::string> Read(const std::string& section, const std::string& name) const = 0;
    virtual void Write(const std::string& section, const std::string& name, const std::string& value) = 0;

    std::string ReadOr(const std::string& section, const std::string& name, const std::string& def) const {
        auto v = Read(section, name);
        return v ? *v : def;
    }
};

class InMemorySettings : public SettingsStore {
public:
    std::optional<std::string> Read(const std::string& section, const std::string& name) const override {
        auto it = values_.find({section, name});
        if (it == values_.end()) return std::nullopt;
        return it->second;
    }
    void Write(const std::string& section, const std::string& name, const std::string& value) override {
        values_[{section, name}] = value;
    }
    size_t size() const { return values_.size(); }
    const std::map<std::pair<std::string, std::string>, std::string>& Values() const { return values_; }

private:
    std::map<std::pair<std::string, std::string>, std::string> values_;
};

}  // namespace ovik::platform
