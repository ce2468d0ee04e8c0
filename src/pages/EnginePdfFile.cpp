#include "pages/EnginePdfFile.h"

#include <QDir>

#include "pages/CountingDevice.h"
#include "platform/AllocatorTuning.h"

EnginePdfFile::EnginePdfFile(EOutputError::Kind kind, const QString& subject)
    : kind_(kind), subject_(subject),
      file_(QDir::temp().filePath(QStringLiteral("folioscope-pdf-XXXXXX.pdf"))) {
    // Unbuffered: every refused write comes back with the system's reason.
    if (!static_cast<QFile&>(file_).open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        throw EOutputError(kind_, subject_, file_.errorString());
    out_ = std::make_unique<CountingDevice>(file_);
}

EnginePdfFile::~EnginePdfFile() = default;

QIODevice& EnginePdfFile::device() {
    return *out_;
}

QByteArray EnginePdfFile::finish() {
    if (!out_->finish())
        throw EOutputError(kind_, subject_, out_->failure());
    // The engine is done with its pages and the figures decoded for them: the memory they
    // leave free in the heaps goes back before the whole file is read into memory.
    allocator_tuning::releaseFreeMemory();
    QByteArray bytes;
    if (file_.seek(0))
        bytes = file_.readAll();
    if (bytes.size() != out_->bytesTaken())
        throw EOutputError(kind_, subject_, file_.errorString());
    return bytes;
}
