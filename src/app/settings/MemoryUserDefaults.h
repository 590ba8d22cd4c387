#pragma once

#include "app/settings/UserDefaults.h"

#include <map>
#include <variant>

namespace quillmark {

// User defaults held in memory, for tests: keeps the kind of each value as written.
class MemoryUserDefaults final : public UserDefaults {
public:
    struct Bytes {
        std::string bytes;
        friend bool operator==(const Bytes&, const Bytes&) = default;
    };
    using Value = std::variant<double, bool, std::string, Bytes>;

    bool contains(const std::string& key) const override;
    double number(const std::string& key) const override;
    bool boolean(const std::string& key) const override;
    std::optional<std::string> string(const std::string& key) const override;
    std::optional<std::string> data(const std::string& key) const override;

    void setNumber(const std::string& key, double value) override;
    void setBool(const std::string& key, bool value) override;
    void setString(const std::string& key, const std::string& value) override;
    void setData(const std::string& key, const std::string& bytes) override;
    void remove(const std::string& key) override;

    // Everything stored, and how many writes reached each key.
    const std::map<std::string, Value>& values() const noexcept { return values_; }
    int writeCount(const std::string& key) const;

private:
    const Value* find(const std::string& key) const;
    void store(const std::string& key, Value value);

    std::map<std::string, Value> values_;
    std::map<std::string, int> writes_;
};

}  // namespace quillmark
