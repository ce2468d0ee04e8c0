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
    QCommandLineOption outline{"outline",
                               "Print the outline of the laid-out pages (chapters and sections) "
                               "on stdout instead of writing a PDF: one \"LEVEL<TAB>PAGE<TAB>"
                               "LABEL\" line each, in UTF-8; labels are cut at 200 characters."};
    QCommandLineOption help{QStringList{"h", "help"}, "Show this help and exit."};
    QCommandLineOption version{"version", "Show the version and exit."};

    void addTo(QCommandLineParser& parser) const {
        parser.addOption(pdf);
        parser.addOptions({print, printer, from, to, copies, outline});
        parser.addOptions({paper, landscape, resolution, frame, pageNumbers, firstPage, noSideLines,
                           frameMargins, bodyMargins, frameWidth, font1, font2, font3, help,
                           version});
        parser.addPositionalArgument("IN.txt", "The report text (Shift-JIS) to lay out.");
    }
};

void describe(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        "Folioscope lays a Shift-JIS report text out into pages and writes them as a vector PDF\n"
        "(--pdf), prints them as one job on a print queue (--print) or prints their outline\n"
        "(--outline).");
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
}

// Reads the option groups of one command line into PdfExportOptions. Each group reader
// returns false, with the error set, at the first bad option; the groups run in the order of
// the usage text, so the first fault of a line is the one reported.
class OptionGroups {
public:
    OptionGroups(const QCommandLineParser& parser, const OptionNames& names, QString& error)
        : parser_(parser), o_(names), error_(error) {}

    // --pdf, --print or --outline, and the one input file.
    bool readDestination(PdfExportOptions& options) const;
    // --printer, --from, --to, --copies.
    bool readPrintJob(PdfExportOptions& options) const;
    // --paper, --landscape, --resolution.
    bool readPaper(PdfExportOptions& options) const;
    // --frame, --page-numbers, --first-page, --no-side-lines.
    bool readDecoration(TOutputSettings& s) const;
    // --frame-margins, --body-margins, --frame-width.
    bool readMargins(TOutputSettings& s) const;
    // --font1, --font2, --font3.
    bool readFonts(TOutputSettings& s) const;

private:
    // Sets the error for option's value; false.
    bool bad(const QCommandLineOption& option) const {
        error_ = message(app_errors::BadOptionValue, "--" + option.names().back(),
                         parser_.value(option));
        return false;
    }
    // The option's value as an integer in [low, high] into value; untouched when the option
    // is not given, false when its value is not such an integer.
    bool readInt(const QCommandLineOption& option, int low, int high, int& value) const {
        if (!parser_.isSet(option))
            return true;
        const auto number = intIn(parser_.value(option), low, high);
        if (!number)
            return bad(option);
        value = *number;
        return true;
    }

    const QCommandLineParser& parser_;
    const OptionNames& o_;
    QString& error_;
};

bool OptionGroups::readDestination(PdfExportOptions& options) const {
    options.Print = parser_.isSet(o_.print);
    options.Outline = parser_.isSet(o_.outline);
    if (options.Outline && (options.Print || parser_.isSet(o_.pdf))) {
        error_ = QString::fromUtf8(app_errors::OutlineAlone);
        return false;
    }
    if (options.Print && parser_.isSet(o_.pdf)) {
        error_ = QString::fromUtf8(app_errors::PdfOrPrint);
        return false;
    }
    if (!options.Print) {
        for (const QCommandLineOption* option : {&o_.printer, &o_.from, &o_.to, &o_.copies})
            if (parser_.isSet(*option)) {
                error_ = QString::fromUtf8(app_errors::PrintOnlyOption)
                             .arg("--" + option->names().back());
                return false;
            }
        if (!options.Outline && (!parser_.isSet(o_.pdf) || parser_.value(o_.pdf).isEmpty())) {
            error_ = QString::fromUtf8(app_errors::MissingPdfOutput);
            return false;
        }
        options.OutputPath = parser_.value(o_.pdf);
    }
    const QStringList inputs = parser_.positionalArguments();
    if (inputs.size() != 1) {
        error_ = QString::fromUtf8(inputs.isEmpty() ? app_errors::MissingInput
                                                    : app_errors::TooManyInputs);
        return false;
    }
    options.InputPath = inputs.front();
    return true;
}

bool OptionGroups::readPrintJob(PdfExportOptions& options) const {
    if (parser_.isSet(o_.printer)) {
        options.PrinterName = parser_.value(o_.printer);
        if (options.PrinterName.isEmpty())
            return bad(o_.printer);
    }
    if (!readInt(o_.from, 1, 1000000, options.FromPage) ||
        !readInt(o_.to, 1, 1000000, options.ToPage))
        return false;
    if (options.FromPage && options.ToPage && options.FromPage > options.ToPage)
        return bad(o_.to);
    return readInt(o_.copies, 1, 999, options.Copies);
}

bool OptionGroups::readPaper(PdfExportOptions& options) const {
    options.PaperGiven = parser_.isSet(o_.paper);
    options.ResolutionGiven = parser_.isSet(o_.resolution);
    if (parser_.isSet(o_.paper)) {
        const auto paper = paperSize(parser_.value(o_.paper));
        if (!paper)
            return bad(o_.paper);
        options.PaperMm = *paper;
    }
    options.Landscape = parser_.isSet(o_.landscape);
    return readInt(o_.resolution, 36, 2400, options.Resolution);
}

bool OptionGroups::readDecoration(TOutputSettings& s) const {
    if (parser_.isSet(o_.frame))
        s.DrawOuterFrame = 1;
    if (parser_.isSet(o_.pageNumbers))
        s.DrawPageNumber = 1;
    if (!readInt(o_.firstPage, -1000000, 1000000, s.PageNumberStart))
        return false;
    if (parser_.isSet(o_.noSideLines))
        s.DrawTableSideLines = 0;
    return true;
}

bool OptionGroups::readMargins(TOutputSettings& s) const {
    if (parser_.isSet(o_.frameMargins)) {
        const auto m = intList(parser_.value(o_.frameMargins), 4, 0, 500);
        if (!m)
            return bad(o_.frameMargins);
        s.FrameTopMarginMm = (*m)[0];
        s.FrameBottomMarginMm = (*m)[1];
        s.FrameLeftMarginMm = (*m)[2];
        s.FrameRightMarginMm = (*m)[3];
    }
    if (parser_.isSet(o_.bodyMargins)) {
        const auto m = intList(parser_.value(o_.bodyMargins), 2, 0, 500);
        if (!m)
            return bad(o_.bodyMargins);
        s.BodyTopMarginMm = (*m)[0];
        s.BodyLeftMarginMm = (*m)[1];
    }
    int width = 0;
    if (!readInt(o_.frameWidth, 1, 1000, width))
        return false;
    if (parser_.isSet(o_.frameWidth))
        s.FrameLineWidthText = QByteArray::number(width);
    return true;
}

bool OptionGroups::readFonts(TOutputSettings& s) const {
    const QCommandLineOption* fonts[3] = {&o_.font1, &o_.font2, &o_.font3};
    for (int i = 0; i < 3; ++i) {
        if (parser_.isSet(*fonts[i]) &&
            !readFont(parser_.value(*fonts[i]), s.FontName[size_t(i)], s.FontSize[size_t(i)]))
            return bad(*fonts[i]);
    }
    return true;
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
    if (parser.isSet(o.help)) {
        options.Help = true;
        return options;
    }
    if (parser.isSet(o.version)) {
        options.Version = true;
        return options;
    }
    const OptionGroups groups(parser, o, error);
    TOutputSettings& s = options.Settings;
    if (!groups.readDestination(options) || !groups.readPrintJob(options) ||
        !groups.readPaper(options) || !groups.readDecoration(s) || !groups.readMargins(s) ||
        !groups.readFonts(s))
        return std::nullopt;
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
