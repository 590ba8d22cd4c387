#pragma once

#include <optional>
#include <string>

namespace quillmark {

// The settings backend: a presence test, typed reads and typed writes that persist across launches.
// Reads never fail: a value of another kind converts where it can (see each read), else gives the
// neutral value.
class UserDefaults {
public:
    virtual ~UserDefaults() = default;

    virtual bool contains(const std::string& key) const = 0;
    // A number; a Boolean counts 1 or 0, numeric text its number; anything else (or nothing) 0.
    virtual double number(const std::string& key) const = 0;
    // A Boolean; a number is true when not zero, text when it reads as true ("true", "yes", a non-zero
    // number, any case); anything else (or nothing) false.
    virtual bool boolean(const std::string& key) const = 0;
    // Text only: nothing for a number, Boolean, bytes or a missing key.
    virtual std::optional<std::string> string(const std::string& key) const = 0;
    // Bytes only: nothing unless bytes are stored.
    virtual std::optional<std::string> data(const std::string& key) const = 0;

    virtual void setNumber(const std::string& key, double value) = 0;
    virtual void setBool(const std::string& key, bool value) = 0;
    virtual void setString(const std::string& key, const std::string& value) = 0;
    virtual void setData(const std::string& key, const std::string& bytes) = 0;
    virtual void remove(const std::string& key) = 0;
};

}  // namespace quillmark
