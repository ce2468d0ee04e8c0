#pragma once
// Where Qt's PDF engine writes a document before PdfFinisher reads it: a temporary file in the
// system's temporary folder, not memory, so that the engine's output (tens of megabytes for a
// report with photographs) does not add to the pages, figures and engine's copies held while
// the pages are played. It is read back whole for the finishing: qpdf parses a file in memory
// several times quicker than one it seeks through. Writes go through CountingDevice: the
// engine does not look at what its writes return.

#include <QByteArray>
#include <QString>
#include <QTemporaryFile>
#include <memory>

#include "pages/OutputError.h"

class CountingDevice;
class QIODevice;

class EnginePdfFile {
public:
    // Failures throw EOutputError of kind about subject (the file that will not be written),
    // with the system's reason; first when the temporary file cannot be created.
    EnginePdfFile(EOutputError::Kind kind, const QString& subject);
    ~EnginePdfFile();
    EnginePdfFile(const EnginePdfFile&) = delete;
    EnginePdfFile& operator=(const EnginePdfFile&) = delete;

    // The device for QPdfWriter.
    QIODevice& device();
    // Passes what is buffered on and reads the whole file back. Throws EOutputError when a write
    // or the reading failed (a full temporary folder).
    QByteArray finish();
    QString fileName() const { return file_.fileName(); }

private:
    EOutputError::Kind kind_;
    QString subject_;
    QTemporaryFile file_;
    std::unique_ptr<CountingDevice> out_;
};
