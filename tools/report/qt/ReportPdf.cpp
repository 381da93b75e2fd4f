#include "tools/report/qt/ReportPdf.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <cstdio>
#include <memory>

namespace tovask::report {

namespace {

// Device pixels of the PDF's pages per inch: the resolution the pictures are placed at.
constexpr int kDotsPerInch = 300;

// Qt's painting needs its GUI layer, which a command-line program starts offscreen. Qt's own
// warnings (a runtime folder not set, for one) say nothing about the report: only its critical
// messages reach the experimenter.
std::unique_ptr<QGuiApplication> startGuiLayer() {
    if (QGuiApplication::instance())
        return nullptr;
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "tovask-report: %s\n", message.toLocal8Bit().constData());
    });
    static int argc = 3;
    static char name[] = "tovask-report";
    static char option[] = "-platform";
    static char platform[] = "offscreen";
    static char* argv[] = {name, option, platform, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

// A text element of a page, where the page's transforms put it.
struct Text {
    QPointF at;
    double degrees = 0;
    QString text;
    double points = 8;
    bool bold = false;
    QColor colour;
    QString anchor;
};

// The numbers of a transform attribute: "translate(12.5 30)" gives {12.5, 30}.
QList<double> transformNumbers(const QString& transform) {
    QList<double> numbers;
    static const QRegularExpression number(R"(-?[0-9.]+)");
    for (auto match = number.globalMatch(transform); match.hasNext();)
        numbers.append(match.next().captured().toDouble());
    return numbers;
}

// Qt Svg draws every text as outlines (it gives each text the stroke of its element as an
// outline, and the document's stroke is never "no pen"), which would make the PDF some fifty
// times larger and its text neither selectable nor searchable. So the texts are taken out of
// the page, which Qt Svg then draws, and each is drawn as text where the page puts it.
QByteArray withoutTexts(const std::string& svg, QList<Text>& texts, QString& families) {
    QXmlStreamReader reader(QByteArray::fromStdString(svg));
    QByteArray rest;
    QXmlStreamWriter writer(&rest);
    QList<QPointF> offsets = {QPointF()};
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == u"text") {
            const QXmlStreamAttributes a = reader.attributes();
            Text text;
            text.at = offsets.back() + QPointF(a.value("x").toDouble(), a.value("y").toDouble());
            const QList<double> rotation = transformNumbers(a.value("transform").toString());
            text.degrees = rotation.isEmpty() ? 0 : rotation.front();
            text.points = a.value("font-size").toDouble();
            text.bold = a.value("font-weight") == u"bold";
            text.colour = QColor(a.value("fill").toString());
            text.anchor = a.value("text-anchor").toString();
            text.text = reader.readElementText();
            texts.append(text);
            continue;
        }
        if (reader.isStartElement()) {
            if (reader.name() == u"svg")
                families = reader.attributes().value("font-family").toString();
            QPointF offset = offsets.back();
            if (reader.name() == u"g") {
                const QList<double> moved =
                    transformNumbers(reader.attributes().value("transform").toString());
                if (moved.size() == 2)
                    offset += QPointF(moved[0], moved[1]);
            }
            offsets.append(offset);
        } else if (reader.isEndElement()) {
            offsets.removeLast();
        }
        writer.writeCurrentToken(reader);
    }
    return rest;
}

// One page: its pictures by Qt Svg, its texts as text. A user unit of the pages is a point.
void drawPage(QPainter& painter, const QRectF& page, const std::string& svg) {
    QList<Text> texts;
    QString families;
    QSvgRenderer pictures(withoutTexts(svg, texts, families));
    pictures.render(&painter, page);

    const double scale = page.width() / pictures.viewBoxF().width();
    for (const Text& text : texts) {
        QFont font;
        QStringList names;
        for (const QString& name : families.split(',', Qt::SkipEmptyParts))
            names.append(name.trimmed());
        font.setFamilies(names);
        font.setPointSizeF(text.points);
        font.setBold(text.bold);
        painter.save();
        painter.setFont(font);
        painter.setPen(text.colour);
        painter.translate(text.at * scale);
        painter.rotate(text.degrees);
        const double width = QFontMetricsF(font, painter.device()).horizontalAdvance(text.text);
        const double x = text.anchor == u"middle" ? -width / 2 : text.anchor == u"end" ? -width : 0;
        painter.drawText(QPointF(x, 0), text.text);
        painter.restore();
    }
}

} // namespace

std::string reportPdf(const std::vector<Page>& pages) {
    const auto application = startGuiLayer();
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setCreator("tovask-report");
        writer.setTitle("tovask-report");
        writer.setResolution(kDotsPerInch);
        writer.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(0, 0, 0, 0)));
        QPainter painter(&writer);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF page(0, 0, writer.width(), writer.height());
        for (std::size_t i = 0; i < pages.size(); ++i) {
            if (i > 0)
                writer.newPage();
            drawPage(painter, page, pages[i].svg);
        }
    }
    return buffer.data().toStdString();
}

} // namespace tovask::report
