#include "app/settings/MemoryUserDefaults.h"

#include "app/settings/UserDefaultsText.h"

namespace quillmark {

namespace {

template <class... Visitors>
struct Overloaded : Visitors... {
    using Visitors::operator()...;
};
// clang before 17 deduces no aggregate's arguments by itself.
template <class... Visitors>
Overloaded(Visitors...) -> Overloaded<Visitors...>;

}  // namespace

const MemoryUserDefaults::Value* MemoryUserDefaults::find(const std::string& key) const {
    const auto found = values_.find(key);
    return found == values_.end() ? nullptr : &found->second;
}

bool MemoryUserDefaults::contains(const std::string& key) const { return find(key) != nullptr; }

double MemoryUserDefaults::number(const std::string& key) const {
    const Value* value = find(key);
    if (!value) return 0;
    return std::visit(Overloaded{[](double number) { return number; }, [](bool flag) { return flag ? 1.0 : 0.0; },
                                 [](const std::string& text) { return UserDefaultsText::number(text).value_or(0); },
                                 [](const Bytes&) { return 0.0; }},
                      *value);
}

bool MemoryUserDefaults::boolean(const std::string& key) const {
    const Value* value = find(key);
    if (!value) return false;
    return std::visit(Overloaded{[](double number) { return number != 0; }, [](bool flag) { return flag; },
                                 [](const std::string& text) { return UserDefaultsText::boolean(text); },
                                 [](const Bytes&) { return false; }},
                      *value);
}

std::optional<std::string> MemoryUserDefaults::string(const std::string& key) const {
    const Value* value = find(key);
    if (const auto* text = value ? std::get_if<std::string>(value) : nullptr) return *text;
    return std::nullopt;
}

std::optional<std::string> MemoryUserDefaults::data(const std::string& key) const {
    const Value* value = find(key);
    if (const auto* bytes = value ? std::get_if<Bytes>(value) : nullptr) return bytes->bytes;
    return std::nullopt;
}

void MemoryUserDefaults::store(const std::string& key, Value value) {
    values_[key] = std::move(value);
    ++writes_[key];
}

void MemoryUserDefaults::setNumber(const std::string& key, double value) { store(key, value); }
void MemoryUserDefaults::setBool(const std::string& key, bool value) { store(key, value); }
void MemoryUserDefaults::setString(const std::string& key, const std::string& value) { store(key, value); }
void MemoryUserDefaults::setData(const std::string& key, const std::string& bytes) { store(key, Bytes{bytes}); }

void MemoryUserDefaults::remove(const std::string& key) {
    values_.erase(key);
    ++writes_[key];
}

int MemoryUserDefaults::writeCount(const std::string& key) const {
    const auto found = writes_.find(key);
    return found == writes_.end() ? 0 : found->second;
}

}  // namespace quillmark
