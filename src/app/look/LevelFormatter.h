#pragma once

#include <string>

namespace quillmark {

// The level texts the user reads (UTF-8, true minus sign U+2212, a full stop whatever the locale).
class LevelFormatter {
public:
    // The HUD readout: "−∞ dB" at or below -96, else sign and one decimal: "−6.0 dB", "0.0 dB", "+3.0 dB".
    static std::string signedDB(double levelDB);
    // A saved reference: with splReference > 0 "65 dB SPL" (level + reference, no decimals); otherwise the
    // level rounded to one decimal, half away from zero, whole values without decimal: "−20 dB", "−20.3 dB".
    static std::string savedLevel(double levelDB, double splReference);

    LevelFormatter() = delete;
};

}  // namespace quillmark
