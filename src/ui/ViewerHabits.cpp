#include "ui/ViewerHabits.h"

#include "ui/FormPreView.h"

ViewerHabits::ViewerHabits(TFormPreView& window) : QObject(&window), window_(window) {
    keys_ =
        preview_shortcuts::add(&window, {window.BitBtnPrintOut, window.BitBtnReturn, window.BitBtn1,
                                         window.UpDownBairitu, window.PopupMenu1, [this] {
                                             if (window_.EndTool)
                                                 window_.EndTool();
                                         }});
}
