#include "PdfFile.h"

#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

namespace {
QString run(const QString& tool, const QStringList& args)
{
    QProcess p;
    p.start(tool, args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0) {
        QTest::qFail(qPrintable(tool + QStringLiteral(" failed: ") + QString::fromUtf8(p.readAllStandardError())), __FILE__, __LINE__);
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}
} // namespace

PdfFile readPdf(const QString& path)
{
    PdfFile pdf;
    pdf.text = run(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-")});
    // pdffonts: two heading lines, then "name type encoding emb sub uni object ID" per font.
    const QStringList lines = run(QStringLiteral("pdffonts"), {path}).split(u'\n', Qt::SkipEmptyParts);
    for (qsizetype i = 2; i < lines.size(); ++i) {
        const QStringList f = lines[i].split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
        if (f.size() >= 6)
            pdf.fonts << f.first() + u'|' + f[f.size() - 5];
    }
    static const QRegularExpression pages(QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption);
    pdf.pages = pages.match(run(QStringLiteral("pdfinfo"), {path})).captured(1).toInt();
    return pdf;
}
