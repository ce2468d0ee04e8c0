#pragma once
// A report file read into its lines as the layout takes them: code page 932 bytes, converted
// from UTF-8 when the file was saved that way (decided once per file).

#include <QByteArrayList>
#include <QString>

#include "platform/InputEncoding.h"

struct ReportText {
    QByteArrayList lines;
    InputEncoding encoding; // what was decided for the file, to be told to the user
};

// ReadTextFileLines, then InputEncoding::normalise. Throws TextFileError.
ReportText ReadReportText(const QString& path);
