#pragma once

#include "app/dialogs/AboutLockup.h"
#include "app/dialogs/TextBlock.h"
#include "app/look/ResourceBundle.h"

#include <QWidget>

#include <memory>
#include <vector>

class QVBoxLayout;

namespace quillmark {

// The About window's content, 460 × 680 points, top-aligned on `bg`: the lockup, a divider, then the
// version row, the description, the acknowledgements and the trademark notice, inset 22 points.
// Static content; it follows the appearance of its window.
class AboutView : public QWidget {
public:
    static constexpr int contentWidth = 460;
    static constexpr int contentHeight = 680;

    // `main` holds Info.json (the version row), `resources` the lockup images.
    AboutView(ResourceBundle main, ResourceBundle resources, QWidget* parent = nullptr);
    // With this process's bundles.
    explicit AboutView(QWidget* parent = nullptr);

    // "<short version>   ·   build <build number>", each "—" when missing or not text.
    static QString versionText(const ResourceBundle& main);

    // Reads the version afresh and chooses the lockup again; after every change of appearance.
    void refresh();

    AboutLockup& lockup() { return *lockup_; }
    TextBlock& versionRow() { return *versionRow_; }
    // Every text block, top to bottom.
    std::vector<const TextBlock*> textBlocks() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* section(const QString& title, const std::vector<QWidget*>& content);
    TextBlock* ackRow(const QString& name, const QString& detail);
    TextBlock* text(const TextBlock::Style& style, const QString& text, HUDTokens::Token colour);

    ResourceBundle main_;
    AboutLockup* lockup_;
    TextBlock* versionRow_ = nullptr;
};

}  // namespace quillmark
