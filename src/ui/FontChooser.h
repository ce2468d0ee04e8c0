#pragma once
// One font chooser of the font settings dialog: holds a font and runs Qt's font dialog on it,
// limited to the faces and sizes a report can be laid out in: fixed-pitch faces (also the
// Japanese ones whose Latin letters are half the width of their kanji), no symbol fonts,
// sizes 6 to 50 points. The dialog's effects (underline, strike-out) and styles may be chosen
// and are held in Font; only the face and the size are ever stored in the settings.

#include <QFont>
#include <QString>

class QFontDialog;
class QWidget;

class FontChooser {
public:
    static constexpr int MinimumSize = 6;
    static constexpr int MaximumSize = 50;

    // Starts as the face "ＭＳ 明朝" without style.
    FontChooser();

    QFont Font;

    // Runs the font dialog preset to Font; when the user confirms, Font takes the chosen face,
    // size (within 6 .. 50) and effects and true is returned; otherwise Font stays.
    bool Execute(QWidget* parent);

    // Whether the dialog lists this family.
    static bool isOffered(const QString& family);
    // The installed family that the dialog shows for a face: the face itself when installed,
    // else the family that stands in for it (the IPA face for "ＭＳ 明朝").
    static QString shownFamily(const QString& face);
    // Applies the limits to a font dialog (for the chooser and its tests).
    static void restrict(QFontDialog& dialog);
};
