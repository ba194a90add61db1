// sr5n-docgen SOURCE.md OUTPUT.pdf TITLE
// Renders a Markdown help document into an A4 PDF with Qt's PDF writer.

#include <QFile>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QAbstractTextDocumentLayout>
#include <QTextDocument>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: sr5n-docgen SOURCE.md OUTPUT.pdf TITLE\n");
        return 1;
    }
    QFile source(args[1]);
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "sr5n-docgen: cannot open %s\n", qPrintable(args[1]));
        return 1;
    }

    QTextDocument document;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(10);
    document.setDefaultFont(font);
    document.setDefaultStyleSheet(QStringLiteral("h1 { color: #1f5fb0; } h2 { color: #1f5fb0; }"));
    document.setMarkdown(QString::fromUtf8(source.readAll()));

    QPdfWriter writer(args[2]);
    writer.setTitle(args[3]);
    writer.setCreator(QStringLiteral("СР-5/Н Конфигуратор"));
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(20, 18, 20, 18), QPageLayout::Millimeter);
    writer.setResolution(300);
    // Lay the text out on the printable area of the page, at the writer's resolution.
    const QSizeF page = writer.pageLayout().paintRectPixels(writer.resolution()).size();
    document.documentLayout()->setPaintDevice(&writer);
    document.setPageSize(page);
    document.print(&writer);
    if (!QFile::exists(args[2])) {
        std::fprintf(stderr, "sr5n-docgen: cannot write %s\n", qPrintable(args[2]));
        return 1;
    }
    return 0;
}
