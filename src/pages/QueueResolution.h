#pragma once
// The resolution a print queue prints at when nothing else is asked for.

#include <QString>
#include <optional>

namespace queue_resolution {

// Used for a queue that states no default resolution (and for the PDF printer): the common
// resolution of office laser printers.
inline constexpr int Fallback = 600;

// The queue's default resolution in dots per inch, from its IPP attribute
// "printer-resolution-default" (which CUPS takes from a PPD's DefaultResolution). A resolution
// with different horizontal and vertical values gives the larger, so that the layout is never
// coarser than the device. Nothing when the queue is unknown or states no resolution.
// queue may name an instance ("queue/instance").
std::optional<int> queueDefault(const QString& queue);

// queueDefault, or Fallback.
int forQueue(const QString& queue);

} // namespace queue_resolution
