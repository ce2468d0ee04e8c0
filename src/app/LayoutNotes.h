#pragma once
// What the command line tells about a finished layout besides its pages: the encoding decision
// for the report file and one line per figure file that was not found. Written on stderr; the
// exit status does not change.

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdio>

#include "document/LayoutState.h"
#include "platform/InputEncoding.h"

// The lines, without the program's prefix: nothing for a code page 932 file with every figure
// found.
QStringList LayoutNoteLines(const QString& inputPath, const InputEncoding& encoding,
                            const QList<MissingFigure>& missing);

// Writes LayoutNoteLines to out, each as "folioscope: ...".
void PrintLayoutNotes(const QString& inputPath, const InputEncoding& encoding,
                      const QList<MissingFigure>& missing, std::FILE* out = stderr);
