#include "app/PdfExportOptions.h"

#include <QCommandLineParser>

#include "app/AppErrors.h"

namespace {

struct NamedPaper {
    const char* name;
    QSizeF mm;
};

// B4 and B5 are the Japanese (JIS) sizes, as they are in Japan.
constexpr NamedPaper namedPapers[] = {
    {"A4", {210, 297}}, {"A3", {297, 420}},         {"B4", {257, 364}},
    {"B5", {182, 257}}, {"Letter", {215.9, 279.4}}, {"Legal", {215.9, 355.6}},
};

QString message(const char* format, const QString& a, const QString& b = QString()) {
    return QString::fromUtf8(format).arg(a, b);
}

std::optional<int> intIn(const QString& text, int low, int high) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}

// Comma-separated integers, exactly count of them, each within [low, high].
std::optional<QList<int>> intList(const QString& text, int count, int low, int high) {
    const QStringList parts = text.split(',');
    if (parts.size() != count)
        return std::nullopt;
    QList<int> values;
    for (const QString& part : parts) {
        const auto value = intIn(part, low, high);
        if (!value)
            return std::nullopt;
        values.append(*value);
    }
    return values;
}

std::optional<QSizeF> paperSize(const QString& text) {
    for (const NamedPaper& paper : namedPapers)
        if (text.compare(QLatin1String(paper.name), Qt::CaseInsensitive) == 0)
            return paper.mm;
    const QStringList parts = text.toLower().split('x');
    if (parts.size() != 2)
        return std::nullopt;
    bool okW = false, okH = false;
    const double w = parts[0].trimmed().toDouble(&okW);
    const double h = parts[1].trimmed().toDouble(&okH);
    // Up to two metres a side: beyond that the dot counts stop meaning anything for a page.
    if (!okW || !okH || !(w >= 10 && w <= 2000) || !(h >= 10 && h <= 2000))
        return std::nullopt;
    return QSizeF(w, h);
}

// "FACE,PT": the face may itself hold commas, the size follows the last one.
bool readFont(const QString& text, ShortString<30>& face, std::int32_t& size) {
    const qsizetype comma = text.lastIndexOf(',');
    if (comma <= 0)
        return false;
    const auto points = intIn(text.mid(comma + 1), 1, 500);
    const QString name = text.left(comma).trimmed();
    if (!points || name.isEmpty())
        return false;
    face = name;
    size = *points;
    return true;
}

struct OptionNames {
    QCommandLineOption pdf{"pdf", "Write the laid-out pages to OUT.pdf.", "OUT.pdf"};
    QCommandLineOption paper{"paper",
                             "Paper: A4, A3, B4, B5 (JIS), Letter, Legal, or WxH in millimetres "
                             "(e.g. 210x297). Default A4.",
                             "SIZE"};
    QCommandLineOption landscape{"landscape", "Lay the paper out in landscape."};
    QCommandLineOption resolution{"resolution", "Dots per inch of the layout (default 600).",
                                  "DPI"};
    QCommandLineOption frame{"frame", "Draw the outer frame."};
    QCommandLineOption pageNumbers{"page-numbers", "Draw page numbers."};
    QCommandLineOption firstPage{"first-page",
                                 "Number of the first page (default 1; -1 prints "
                                 "the label without numbers).",
                                 "N"};
    QCommandLineOption noSideLines{"no-side-lines", "Leave out the side lines of tables."};
    QCommandLineOption frameMargins{"frame-margins",
                                    "Paper edge to outer frame in mm (default 15,10,10,10).",
                                    "TOP,BOTTOM,LEFT,RIGHT"};
    QCommandLineOption bodyMargins{"body-margins", "Outer frame to text in mm (default 5,10).",
                                   "TOP,LEFT"};
    QCommandLineOption frameWidth{"frame-width",
                                  "Pen width of the outer frame in dots (default 1).", "N"};
    QCommandLineOption font1{"font1", "Title font (default \"ＭＳ 明朝\",11).", "FACE,PT"};
    QCommandLineOption font2{"font2", "Data font (default \"ＭＳ 明朝\",9).", "FACE,PT"};
    QCommandLineOption font3{"font3", "Body font (default \"ＭＳ 明朝\",9).", "FACE,PT"};
    QCommandLineOption print{"print",
                             "Print the laid-out pages on a print queue (the queue's paper and "
                             "resolution unless --paper, --landscape or --resolution say "
                             "otherwise) instead of writing a PDF."};
    QCommandLineOption printer{"printer",
                               "With --print: the queue (default: the system's "
                               "default queue).",
                               "QUEUE"};
    QCommandLineOption from{"from", "With --print: the first page to print (default 1).", "N"};
    QCommandLineOption to{"to", "With --print: the last page to print (default the last).", "M"};
    QCommandLineOption copies{"copies", "With --print: the number of copies (default 1).", "K"};
    QCommandLineOption help{QStringList{"h", "help"}, "Show this help and exit."};
    QCommandLineOption version{"version", "Show the version and exit."};

    void addTo(QCommandLineParser& parser) const {
        parser.addOption(pdf);
        parser.addOptions({print, printer, from, to, copies});
        parser.addOptions({paper, landscape, resolution, frame, pageNumbers, firstPage, noSideLines,
                           frameMargins, bodyMargins, frameWidth, font1, font2, font3, help,
                           version});
        parser.addPositionalArgument("IN.txt", "The report text (Shift-JIS) to lay out.");
    }
};

void describe(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        "Folioscope lays a Shift-JIS report text out into pages and writes them as a vector PDF\n"
        "(--pdf) or prints them as one job on a print queue (--print).");
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
}

} // namespace

std::optional<PdfExportOptions> PdfExportOptions::parse(const QStringList& arguments,
                                                        QString& error) {
    QCommandLineParser parser;
    describe(parser);
    const OptionNames o;
    o.addTo(parser);
    // The parser expects the program name first.
    if (!parser.parse(QStringList{"folioscope"} + arguments)) {
        error = parser.errorText();
        return std::nullopt;
    }

    PdfExportOptions options;
    TOutputSettings& s = options.Settings;
    if (parser.isSet(o.help)) {
        options.Help = true;
        return options;
    }
    if (parser.isSet(o.version)) {
        options.Version = true;
        return options;
    }
    options.Print = parser.isSet(o.print);
    if (options.Print && parser.isSet(o.pdf)) {
        error = QString::fromUtf8(app_errors::PdfOrPrint);
        return std::nullopt;
    }
    if (!options.Print) {
        for (const QCommandLineOption* option : {&o.printer, &o.from, &o.to, &o.copies})
            if (parser.isSet(*option)) {
                error = QString::fromUtf8(app_errors::PrintOnlyOption)
                            .arg("--" + option->names().back());
                return std::nullopt;
            }
        if (!parser.isSet(o.pdf) || parser.value(o.pdf).isEmpty()) {
            error = QString::fromUtf8(app_errors::MissingPdfOutput);
            return std::nullopt;
        }
        options.OutputPath = parser.value(o.pdf);
    }
    const QStringList inputs = parser.positionalArguments();
    if (inputs.size() != 1) {
        error = QString::fromUtf8(inputs.isEmpty() ? app_errors::MissingInput
                                                   : app_errors::TooManyInputs);
        return std::nullopt;
    }
    options.InputPath = inputs.front();

    const auto bad = [&error](const QCommandLineOption& option, const QString& value) {
        error = message(app_errors::BadOptionValue, "--" + option.names().back(), value);
        return std::nullopt;
    };
    if (parser.isSet(o.printer)) {
        options.PrinterName = parser.value(o.printer);
        if (options.PrinterName.isEmpty())
            return bad(o.printer, options.PrinterName);
    }
    for (auto [option, page] : {std::pair{&o.from, &options.FromPage}, {&o.to, &options.ToPage}})
        if (parser.isSet(*option)) {
            const auto value = intIn(parser.value(*option), 1, 1000000);
            if (!value)
                return bad(*option, parser.value(*option));
            *page = *value;
        }
    if (options.FromPage && options.ToPage && options.FromPage > options.ToPage)
        return bad(o.to, parser.value(o.to));
    if (parser.isSet(o.copies)) {
        const auto copies = intIn(parser.value(o.copies), 1, 999);
        if (!copies)
            return bad(o.copies, parser.value(o.copies));
        options.Copies = *copies;
    }
    options.PaperGiven = parser.isSet(o.paper);
    options.ResolutionGiven = parser.isSet(o.resolution);
    if (parser.isSet(o.paper)) {
        const auto paper = paperSize(parser.value(o.paper));
        if (!paper)
            return bad(o.paper, parser.value(o.paper));
        options.PaperMm = *paper;
    }
    options.Landscape = parser.isSet(o.landscape);
    if (parser.isSet(o.resolution)) {
        const auto dpi = intIn(parser.value(o.resolution), 36, 2400);
        if (!dpi)
            return bad(o.resolution, parser.value(o.resolution));
        options.Resolution = *dpi;
    }
    if (parser.isSet(o.frame))
        s.DrawOuterFrame = 1;
    if (parser.isSet(o.pageNumbers))
        s.DrawPageNumber = 1;
    if (parser.isSet(o.firstPage)) {
        const auto first = intIn(parser.value(o.firstPage), -1000000, 1000000);
        if (!first)
            return bad(o.firstPage, parser.value(o.firstPage));
        s.PageNumberStart = *first;
    }
    if (parser.isSet(o.noSideLines))
        s.DrawTableSideLines = 0;
    if (parser.isSet(o.frameMargins)) {
        const auto m = intList(parser.value(o.frameMargins), 4, 0, 500);
        if (!m)
            return bad(o.frameMargins, parser.value(o.frameMargins));
        s.FrameTopMarginMm = (*m)[0];
        s.FrameBottomMarginMm = (*m)[1];
        s.FrameLeftMarginMm = (*m)[2];
        s.FrameRightMarginMm = (*m)[3];
    }
    if (parser.isSet(o.bodyMargins)) {
        const auto m = intList(parser.value(o.bodyMargins), 2, 0, 500);
        if (!m)
            return bad(o.bodyMargins, parser.value(o.bodyMargins));
        s.BodyTopMarginMm = (*m)[0];
        s.BodyLeftMarginMm = (*m)[1];
    }
    if (parser.isSet(o.frameWidth)) {
        const auto width = intIn(parser.value(o.frameWidth), 1, 1000);
        if (!width)
            return bad(o.frameWidth, parser.value(o.frameWidth));
        s.FrameLineWidthText = QByteArray::number(*width);
    }
    const QCommandLineOption* fonts[3] = {&o.font1, &o.font2, &o.font3};
    for (int i = 0; i < 3; ++i) {
        if (parser.isSet(*fonts[i]) &&
            !readFont(parser.value(*fonts[i]), s.FontName[size_t(i)], s.FontSize[size_t(i)]))
            return bad(*fonts[i], parser.value(*fonts[i]));
    }
    // The text area must keep some room, or no line could ever be placed. A queue's own paper
    // is known only when printing starts; it is checked then.
    if ((!options.Print || options.PaperGiven) && !options.marginsFit(options.pageSizeMm())) {
        error = QString::fromUtf8(app_errors::MarginsTooLarge);
        return std::nullopt;
    }
    return options;
}

bool PdfExportOptions::marginsFit(QSizeF page) const {
    const TOutputSettings& s = Settings;
    return s.FrameLeftMarginMm + s.BodyLeftMarginMm + s.FrameRightMarginMm < page.width() &&
           s.FrameTopMarginMm + s.BodyTopMarginMm + s.FrameBottomMarginMm < page.height();
}

QString PdfExportOptions::usage() {
    QCommandLineParser parser;
    describe(parser);
    const OptionNames o;
    o.addTo(parser);
    QString text = parser.helpText();
    text.replace(QLatin1String("Usage: ") + QCoreApplication::applicationFilePath(),
                 QLatin1String("Usage: folioscope"));
    return text;
}
