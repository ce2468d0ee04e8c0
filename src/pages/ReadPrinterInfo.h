#pragma once
// Reads the geometry of the current printer (current_printer::get()) into a TPrinterInfo.

#include "pages/PrinterInfo.h"

// Fills every member of info from the current printer: resolution, paper, printable area and
// its offsets in device pixels, the millimetre values derived from them, and the orientation.
// The scale is always 100 (the print system has no device-side scaling). Throws EPrinterError,
// leaving info untouched, when there is no usable printer or its queue has gone away.
void ReadPrinterInfo(TPrinterInfo& info);
