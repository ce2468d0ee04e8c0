#pragma once
// The pictures drawn for the tool: its icon and the button pictures (SVG, sharp at any scale).

#include <QIcon>

namespace app_icons {

QIcon tool();     // the tool's icon, 32 x 32
QIcon fileOpen(); // an opening folder with a curved arrow, 16 x 16
QIcon help();     // a red question mark on a yellow disc, 16 x 16, grey when disabled
QIcon exit();     // a dark diagonal cross, 13 x 13

} // namespace app_icons
