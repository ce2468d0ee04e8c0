#pragma once
// Reads every file of a .chm in a child process. chmlib's LZX decoder cannot be checked from
// the outside, so it runs where a crash or an endless loop costs the help only: the child sends
// the files through a pipe, the tool keeps what arrives complete within the time and size
// limits, and a child that dies, hangs or says too much gives no help at all.

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

#include "help/ChmArchive.h"

struct ChmFileData {
    QString path; // e.g. "/Zeph機能特徴.htm"
    QByteArray bytes;
};

struct ChmLoadLimits {
    ChmLimits archive;
    qint64 totalBytes = 128 << 20; // all files together
    int timeoutMs = 10000;         // for the whole file
};

// The files of the .chm at fileName, or nothing when it is missing, damaged, too large or too
// slow to read.
std::optional<QList<ChmFileData>> LoadChmFiles(const QString& fileName,
                                               const ChmLoadLimits& limits = {});
