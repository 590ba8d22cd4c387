#include "app/dialogs/AboutView.h"

#include "app/dialogs/Hairline.h"
#include "app/dialogs/WindowAppearance.h"

#include <QPainter>
#include <QVBoxLayout>

namespace quillmark {

namespace {

const QString kDisplayFace = QStringLiteral("IsolationGrotesque-Regular");
const QString kBodyFace = QStringLiteral("IBMPlexSans-Regular");
const QString kMonoFace = QStringLiteral("JetBrainsMono-Regular");
const QString kEmDash = QStringLiteral("\u2014");

constexpr int kDetailsInset = 22;
constexpr int kDetailsSpacing = 14;
constexpr int kSectionSpacing = 6;
constexpr int kNoteExtraSpace = 2;

const TextBlock::Style kVersionStyle{.fontName = kMonoFace, .points = 12};
const TextBlock::Style kDescriptionStyle{.fontName = kBodyFace, .points = 12, .lineSpacing = 2};
const TextBlock::Style kSectionTitleStyle{.fontName = kDisplayFace, .points = 10, .tracking = 0.9, .upperCase = true};
const TextBlock::Style kAckStyle{.fontName = kBodyFace, .points = 11};
const TextBlock::Style kNoteStyle{.fontName = kBodyFace, .points = 10};
const TextBlock::Style kNoticeStyle{.fontName = kBodyFace, .points = 10, .lineSpacing = 2};

struct Acknowledgement {
    const char* name;
    const char* detail;
};

// What this build ships and uses, with the licence each comes under; NOTICES.txt holds the full texts.
constexpr Acknowledgement kAcknowledgements[] = {
    {"Qt", "LGPL-3.0 \u2014 user-interface toolkit"},
    {"Asio", "Boost Software License 1.0 \u2014 networking"},
    {"nlohmann/json", "MIT License \u2014 JSON"},
    {"libsodium", "ISC License \u2014 update signatures"},
    {"libxcb", "MIT License \u2014 global hotkeys on X11"},
    {"IBM Plex Sans \u00B7 JetBrains Mono", "SIL Open Font License 1.1"},
};

QString versionPart(const ResourceBundle& main, const char* key) {
    const auto value = main.infoString(key);
    return value ? QString::fromStdString(*value) : kEmDash;
}

}  // namespace

AboutView::AboutView(QWidget* parent)
    : AboutView(ResourceBundle::main(), ResourceBundle::quillmarkResources(), parent) {}

AboutView::AboutView(ResourceBundle main, ResourceBundle resources, QWidget* parent)
    : QWidget(parent), main_(std::move(main)), lockup_(new AboutLockup(std::move(resources), this)) {
    setFixedSize(contentWidth, contentHeight);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    root->addWidget(lockup_);
    root->addWidget(new Hairline(HUDTokens::border, this));

    auto* details = new QWidget(this);
    auto* rows = new QVBoxLayout(details);
    rows->setContentsMargins(kDetailsInset, kDetailsInset, kDetailsInset, kDetailsInset);
    rows->setSpacing(kDetailsSpacing);
    versionRow_ = text(kVersionStyle, versionText(main_), HUDTokens::fg);
    rows->addWidget(versionRow_);
    rows->addWidget(text(kDescriptionStyle,
                         QStringLiteral("A heads-up display, global hotkeys, and signal meters for the monitor "
                                        "section of UA Console."),
                         HUDTokens::fgMid));
    rows->addWidget(new Hairline(HUDTokens::borderSubtle, details));

    std::vector<QWidget*> acknowledgements;
    for (const Acknowledgement& row : kAcknowledgements)
        acknowledgements.push_back(ackRow(QString::fromUtf8(row.name), QString::fromUtf8(row.detail)));
    auto* note = new QWidget(this);
    auto* noteLayout = new QVBoxLayout(note);
    noteLayout->setContentsMargins(0, kNoteExtraSpace, 0, 0);
    noteLayout->addWidget(text(kNoteStyle,
                               QStringLiteral("Full license texts are in NOTICES.txt, included with the app."),
                               HUDTokens::fgMuted));
    acknowledgements.push_back(note);
    rows->addWidget(section(QStringLiteral("Acknowledgments"), acknowledgements));
    rows->addWidget(new Hairline(HUDTokens::borderSubtle, details));
    rows->addWidget(section(QStringLiteral("Trademarks"),
                            {text(kNoticeStyle,
                                  QStringLiteral("Quillmark is an independent product and is not affiliated with, "
                                                 "endorsed by, or sponsored by Universal Audio, Inc. Universal Audio, "
                                                 "Apollo, UAD, and Console are trademarks of Universal Audio, Inc."),
                                  HUDTokens::fgMuted)}));
    root->addWidget(details);
    root->addStretch(1);
}

QString AboutView::versionText(const ResourceBundle& main) {
    return versionPart(main, "CFBundleShortVersionString") + QStringLiteral("   \u00B7   build ") +
           versionPart(main, "CFBundleVersion");
}

void AboutView::refresh() {
    versionRow_->setRuns({{versionText(main_), HUDTokens::fg}});
    lockup_->appearanceChanged();
    update();
}

std::vector<const TextBlock*> AboutView::textBlocks() const {
    std::vector<const TextBlock*> blocks;
    // Not findChildren<TextBlock*>(): without a meta-object of its own, that would match every widget.
    for (const QWidget* child : findChildren<QWidget*>())
        if (const auto* block = dynamic_cast<const TextBlock*>(child)) blocks.push_back(block);
    std::stable_sort(blocks.begin(), blocks.end(), [this](const TextBlock* a, const TextBlock* b) {
        return a->mapTo(this, QPoint(0, 0)).y() < b->mapTo(this, QPoint(0, 0)).y();
    });
    return blocks;
}

QWidget* AboutView::section(const QString& title, const std::vector<QWidget*>& content) {
    auto* box = new QWidget(this);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(kSectionSpacing);
    layout->addWidget(text(kSectionTitleStyle, title, HUDTokens::accent));
    for (QWidget* item : content) layout->addWidget(item);
    return box;
}

TextBlock* AboutView::ackRow(const QString& name, const QString& detail) {
    return new TextBlock(
        kAckStyle,
        {{name, HUDTokens::fg}, {QStringLiteral("  \u2014  "), HUDTokens::fgMuted}, {detail, HUDTokens::fgMuted}},
        this);
}

TextBlock* AboutView::text(const TextBlock::Style& style, const QString& text, HUDTokens::Token colour) {
    return new TextBlock(style, text, colour, this);
}

void AboutView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), HUDTokens::resolve(HUDTokens::bg, WindowAppearance::isDark(*this)));
}

}  // namespace quillmark
