#pragma once
// Command-line export: lays a report file out and writes its pages to a vector PDF, without a
// window (offscreen platform). main() hands over when ProgramOptions reads --pdf.

#include <QByteArrayList>
#include <QString>

#include "app/PdfExportOptions.h"
#include "document/LayoutState.h"

class FollowingSlice;
class TPrintPreview;

namespace pdf_export {

// Runs the export, the printing (--print, run by print_command) or the outline (--outline, run
// by outline_command) that options (read from argv by ProgramOptions) ask for as the whole
// program: makes the application object (offscreen unless a platform is chosen), prints errors
// on stderr. Returns the exit code: 0 done, 1 the file could not be read, laid out, written or
// printed.
int run(int argc, char** argv, const PdfExportOptions& options);

// Lays lines out as options say into store (which then holds the pages); figure names are
// looked up from the folder of options.InputPath first. Returns the layout's state (the
// figures that were not found among it). Throws on a layout error, with the pages so far kept
// in store.
LayoutState layOut(const QByteArrayList& lines, const PdfExportOptions& options,
                   TPrintPreview& store, bool showProgress = false);

// Writes the pages of store to path, one PDF page per page; the file appears only complete
// (written under a temporary name beside it, then renamed). Throws std::runtime_error.
// following: the slice that played the first pages during the layout, when there was one.
void writePdf(const TPrintPreview& store, const PdfExportOptions& options, const QString& path,
              FollowingSlice* following = nullptr);

} // namespace pdf_export
