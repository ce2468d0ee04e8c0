#pragma once
// The line under the preview's page area that says what the layout could not do as the report
// asks: figure files that were not found (how many, their names and lines in the tooltip) and
// a report converted from UTF-8. Hidden while there is nothing to say.

#include <QLabel>
#include <QList>

#include "document/LayoutState.h"
#include "platform/InputEncoding.h"

class PreviewStatusLine : public QLabel {
    Q_OBJECT
public:
    explicit PreviewStatusLine(QWidget* parent = nullptr);

    // Shows the notes of a finished (or stopped) layout of a file read with encoding.
    void showNotes(const InputEncoding& encoding, const QList<MissingFigure>& missing);

    // The texts showNotes puts on the line and in its tooltip; empty when all is well.
    static QString noteText(const InputEncoding& encoding, const QList<MissingFigure>& missing);
    static QString toolTipText(const QList<MissingFigure>& missing);
};
