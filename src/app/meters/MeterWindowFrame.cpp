#include "app/meters/MeterWindowFrame.h"

#include <QStringList>

#include <array>
#include <charconv>
#include <cmath>
#include <string>

namespace quillmark {

namespace {

std::string shortestText(double value) {
    std::array<char, 64> buffer{};
    auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    std::string text(buffer.data(), error == std::errc() ? end : buffer.data());
    if (std::isfinite(value) && text.find_first_of(".e") == std::string::npos) text += ".0";
    return text;
}

// A piece reads as a number when all of it converts; "inf" and "nan" count as numbers, so that
// they take their place among the four and make the frame unusable rather than shifting it.
std::optional<double> number(const QString& piece) {
    std::string text = piece.toStdString();
    std::string_view digits = text;
    if (digits.size() > 1 && digits.front() == '+' && digits[1] != '-') digits.remove_prefix(1);
    double value = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return value;
}

}  // namespace

QString MeterWindowFrame::format(const QRectF& frame) {
    const std::array<double, 4> values{frame.x(), frame.y(), frame.width(), frame.height()};
    QStringList pieces;
    for (double value : values) pieces << QString::fromStdString(shortestText(value));
    return pieces.join(' ');
}

std::optional<QRectF> MeterWindowFrame::parse(const QString& text) {
    std::vector<double> values;
    for (const QString& piece : text.split(' ', Qt::SkipEmptyParts)) {
        if (auto value = number(piece)) values.push_back(*value);
    }
    if (values.size() != 4) return std::nullopt;
    for (double value : values) {
        if (!std::isfinite(value)) return std::nullopt;
    }
    return QRectF(values[0], values[1], values[2], values[3]);
}

bool MeterWindowFrame::isOnAScreen(const QRectF& frame, const std::vector<QRectF>& screens) {
    for (const QRectF& screen : screens) {
        const QRectF overlap = screen.intersected(frame);
        if (overlap.width() >= 80 && overlap.height() >= 40) return true;
    }
    return false;
}

std::optional<QRectF> MeterWindowFrame::validated(const QString& text, const std::vector<QRectF>& screens) {
    auto frame = parse(text);
    if (!frame) return std::nullopt;
    if (frame->width() < minimumWidth || frame->height() < minimumHeight) return std::nullopt;
    if (!isOnAScreen(*frame, screens)) return std::nullopt;
    return frame;
}

QRectF MeterWindowFrame::fromDesktop(const QRectF& desktopRect, const QRectF& primaryScreen) {
    return {desktopRect.x() - primaryScreen.x(),
            primaryScreen.y() + primaryScreen.height() - desktopRect.y() - desktopRect.height(), desktopRect.width(),
            desktopRect.height()};
}

QRectF MeterWindowFrame::toDesktop(const QRectF& frame, const QRectF& primaryScreen) {
    return {frame.x() + primaryScreen.x(), primaryScreen.y() + primaryScreen.height() - frame.y() - frame.height(),
            frame.width(), frame.height()};
}

}  // namespace quillmark
