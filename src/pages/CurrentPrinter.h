#pragma once
// The process-wide current printer: the device that pages are laid out for and printed on.
// Created on first use from the system's default print queue; on a machine without one it is
// a PDF printer (A4 portrait, 600 dpi, the whole sheet printable, no offsets). The print and
// page setup dialogs change it in place; a host or a test may replace it.

#include <memory>

class QPrinter;
class QPrinterInfo;
class QString;

namespace current_printer {

// The current printer, created on first use. Throws EPrinterError when no printer can be had.
QPrinter& get();

// Makes printer the current one; null forgets the current printer, so the next get() creates
// it afresh from the system's default queue.
void replace(std::unique_ptr<QPrinter> printer);

// What get() creates: the default queue, or the PDF printer where there is none (or where
// the default queue cannot be opened).
std::unique_ptr<QPrinter> createDefault();

// A printer on a print queue, its printable area set to the device's own (the margins that
// the queue reports as unprintable), at the queue's default resolution
// (queue_resolution::forQueue). Null when the queue cannot be opened.
std::unique_ptr<QPrinter> createForQueue(const QPrinterInfo& queue);

// After a dialog switched printer to another queue (previousQueue names the one before):
// takes the new queue's default resolution and printable area, as createForQueue does. A
// printer left on its queue, or one that is not a queue, keeps its settings.
void followQueue(QPrinter& printer, const QString& previousQueue);

// True when a print has nowhere to go: the machine has no print queue (or no scheduler to
// ask) and the current printer writes to no file. Throws as get() does.
bool nowhereToPrint();

// The PDF printer: A4 portrait, 600 dpi, full page, no offsets.
std::unique_ptr<QPrinter> createPdfPrinter();

} // namespace current_printer
