#include "PdfRenderer.h"

#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

namespace quillmark {

namespace {

constexpr qreal kBodyPointSize = 10.5;

// Markdown tables come without visible rules; these get thin ones and the full width of the page.
void styleTables(QTextFrame* frame) {
    for (QTextFrame* child : frame->childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(child)) {
            QTextTableFormat format = table->format();
            format.setBorder(1);  // thinner ones are not drawn at all
            format.setBorderBrush(Qt::gray);
            format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
            format.setBorderCollapse(true);
            format.setCellSpacing(0);
            format.setCellPadding(4);
            format.setHeaderRowCount(1);  // repeated on every page the table runs onto
            format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
            table->setFormat(format);
        }
        styleTables(child);
    }
}

// Headings get room above them, so a section reads apart from the one before.
void spaceHeadings(QTextDocument& document) {
    QTextCursor cursor(&document);
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QTextBlockFormat format = block.blockFormat();
        if (format.headingLevel() == 0 || block == document.begin()) continue;
        format.setTopMargin(format.headingLevel() <= 2 ? 14 : 8);
        cursor.setPosition(block.position());
        cursor.setBlockFormat(format);
    }
}

}  // namespace

std::optional<QString> PdfRenderer::render(const QString& markdown, const QString& title, const QString& path) {
    QTextDocument document;
    QFont font = document.defaultFont();
    font.setPointSizeF(kBodyPointSize);
    // No ligatures: text copied or searched in the PDF reads "fi", not U+FB01.
    font.setStyleStrategy(QFont::PreferNoShaping);
    document.setDefaultFont(font);
    document.setMarkdown(markdown, QTextDocument::MarkdownDialectGitHub);
    document.setMetaInformation(QTextDocument::DocumentTitle, title);
    styleTables(document.rootFrame());
    spaceHeadings(document);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
    {
        QPdfWriter writer(&file);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("Quillmark"));
        // No margins of the writer's own: print() keeps 2 cm around the text and numbers the pages.
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
        document.print(&writer);
    }
    if (file.size() == 0) return QStringLiteral("nothing was drawn into %1").arg(path);
    if (!file.commit()) return QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
    return std::nullopt;
}

}  // namespace quillmark
