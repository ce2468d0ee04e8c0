#pragma once
// Options of the command-line PDF export:
//   folioscope --pdf OUT.pdf [--paper A4|A3|B4|B5|Letter|Legal|WxH] [--landscape]
//       [--resolution DPI] [--frame] [--page-numbers] [--first-page N] [--no-side-lines]
//       [--frame-margins TOP,BOTTOM,LEFT,RIGHT] [--body-margins TOP,LEFT] [--frame-width N]
//       [--font1 FACE,PT] [--font2 FACE,PT] [--font3 FACE,PT] IN.txt
//   folioscope --print [--printer QUEUE] [--from N] [--to M] [--copies K]
//       [the layout options above] IN.txt
//   folioscope --outline [the layout options above] IN.txt

#include <QSizeF>
#include <QString>
#include <QStringList>
#include <optional>

#include "document/OutputSettings.h"

struct PdfExportOptions {
    QString OutputPath;
    QString InputPath;
    QSizeF PaperMm{210, 297}; // portrait width x height
    bool Landscape = false;
    int Resolution = 600;
    bool Help = false;
    bool Version = false;
    // --print: print on a queue instead of writing a PDF. The paper, orientation and
    // resolution are then the queue's unless given.
    bool Print = false;
    QString PrinterName; // empty: the system's default queue
    int FromPage = 0;    // 0: the first page
    int ToPage = 0;      // 0: the last page
    int Copies = 1;
    // --outline: print the outline of the laid-out pages on stdout instead of writing a PDF.
    bool Outline = false;
    bool PaperGiven = false;
    bool ResolutionGiven = false;
    // Settings changed from their defaults by the options.
    TOutputSettings Settings;

    // The paper as laid out: width and height swapped for landscape.
    QSizeF pageSizeMm() const { return Landscape ? PaperMm.transposed() : PaperMm; }

    // True when the margins leave room for text on a page of pageMm.
    bool marginsFit(QSizeF pageMm) const;

    // Reads the arguments that follow the program name. On a bad option returns nothing and
    // sets error to a one-line message.
    static std::optional<PdfExportOptions> parse(const QStringList& arguments, QString& error);

    // The text that --help prints.
    static QString usage();
};
