#include "app/ReportText.h"

#include "app/TextFileReader.h"

ReportText ReadReportText(const QString& path) {
    ReportText text;
    text.lines = ReadTextFileLines(path);
    text.encoding = InputEncoding::normalise(text.lines);
    return text;
}
