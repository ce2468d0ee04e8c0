#pragma once
// Command-line printing (--print): lays a report file out for a print queue and prints it as
// the preview's print button does, without dialogs.

#include "app/PdfExportOptions.h"

namespace print_command {

// Runs inside the running (offscreen) application: makes the queue (options.PrinterName, or
// the system's default queue) the current printer with the paper, orientation, resolution and
// copies the options give, lays options.InputPath out for it and prints options.FromPage ..
// options.ToPage as one job. Messages go to stderr, the job id to stdout. Returns the exit
// code: 0 printed, 1 unknown queue, pages beyond the count, or a file, layout or job failure,
// in which case nothing was printed.
int run(const PdfExportOptions& options);

} // namespace print_command
