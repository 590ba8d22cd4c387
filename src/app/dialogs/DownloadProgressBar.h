#pragma once

#include <QWidget>

#include <cstdint>

namespace quillmark {

// The download's bar in the dialogs' look: a recessed track with a 1-point border inside its bounds,
// filled in the accent colour by the share received. Square corners, no platform control.
class DownloadProgressBar : public QWidget {
public:
    static constexpr int barHeight = 8;

    explicit DownloadProgressBar(QWidget* parent = nullptr);

    // `total` 0: the size is not known, the track stays empty.
    void setProgress(std::int64_t received, std::int64_t total);
    // The filled share, 0 to 1.
    double fraction() const;

    QSize sizeHint() const override { return {200, barHeight}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::int64_t received_ = 0;
    std::int64_t total_ = 0;
};

}  // namespace quillmark
