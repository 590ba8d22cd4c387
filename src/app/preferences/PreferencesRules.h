#pragma once

#include <QString>

#include <optional>

namespace quillmark {

// The input rules of the preferences window's text fields, whatever the user's locale: numbers are
// read and written with "." as the decimal point.
class PreferencesRules {
public:
    static constexpr double minimumDurationSeconds = 0.25;
    static constexpr double maximumDurationSeconds = 60;
    // A step may cross the level's whole range in one press, no more.
    static constexpr double maximumStepDB = 96;
    static constexpr int maximumLabelLength = 20;

    // The text without leading and trailing spaces and tabs (line breaks stay), read completely as one
    // floating-point number; nothing when empty or anything is left over.
    static std::optional<double> parse(const QString& text);
    // Spaces and tabs removed from both ends; line breaks kept.
    static QString trimmed(const QString& text);

    // "1" for a whole number, otherwise two decimals: "2.50", "0.25".
    static QString fieldText(double value);
    // Rounded to a whole number: "74".
    static QString wholeText(double value);
    // One decimal: "-10.0".
    static QString oneDecimalText(double value);

    static bool isAcceptedDuration(double seconds);
    // Finite, above 0 and at most the level's range.
    static bool isAcceptedStep(double stepDB);

    // At most the first 20 user-perceived characters; a character is never split.
    static QString cutLabel(const QString& text);

    PreferencesRules() = delete;
};

}  // namespace quillmark
