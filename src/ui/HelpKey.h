#pragma once
// F1 in a window with a help button: the key presses the button, so both open one topic.

class QAbstractButton;
class QWidget;

// While window is the active window, F1 clicks helpButton (a disabled button stays inert).
void BindHelpKey(QWidget& window, QAbstractButton& helpButton);
