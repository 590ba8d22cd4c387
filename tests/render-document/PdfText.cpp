#include "PdfText.h"

#include <QProcess>
#include <QStringList>

namespace quillmark::testing {

std::optional<QString> PdfText::of(const QString& pdfPath, bool layout) {
    QStringList arguments{QStringLiteral("-enc"), QStringLiteral("UTF-8")};
    if (layout) arguments << QStringLiteral("-layout");
    arguments << pdfPath << QStringLiteral("-");
    QProcess process;
    process.start(QStringLiteral("pdftotext"), arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString PdfText::simplified(const QString& text) { return text.simplified(); }

}  // namespace quillmark::testing
