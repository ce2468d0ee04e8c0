#pragma once
// The text of a recorded page inside a rectangle, for the clipboard: the characters whose cells
// have their centre inside, as drawn (decoded from code page 932, not folded), one line of text
// per line of the page from top to bottom, a blank where a line's runs do not touch, blanks at
// the end of a line left out.

#include <QRect>
#include <QString>

class PageRecording;

namespace page_text_copy {

// area in page dots; lines are joined with '\n'.
QString textIn(const PageRecording& page, const QRect& area);

} // namespace page_text_copy
