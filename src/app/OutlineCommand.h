#pragma once
// Command-line outline (--outline): lays a report file out as --pdf would and prints the
// outline of its pages on stdout, for scripts and checks.

#include <QByteArray>

#include "app/PdfExportOptions.h"
#include "pages/PageOutline.h"

namespace outline_command {

// One "LEVEL<TAB>PAGE<TAB>LABEL" line per entry, in UTF-8, each ending in a line feed.
QByteArray text(const PageOutline& outline);

// Runs inside the running (offscreen) application: reads and lays out options.InputPath with
// the layout options of --pdf and writes text() of its outline to stdout. Notes and errors go
// to stderr. Returns the exit code: 0 done, 1 the file could not be read or laid out (nothing
// is printed on stdout then).
int run(const PdfExportOptions& options);

} // namespace outline_command
