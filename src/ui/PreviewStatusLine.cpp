#include "ui/PreviewStatusLine.h"

namespace {

// A tooltip with thousands of names would cover the screen.
constexpr qsizetype MaxListedFigures = 30;

} // namespace

PreviewStatusLine::PreviewStatusLine(QWidget* parent) : QLabel(parent) {
    setObjectName(QStringLiteral("PreviewStatusLine"));
    setContentsMargins(6, 2, 6, 2);
    setTextFormat(Qt::PlainText);
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    hide();
}

QString PreviewStatusLine::noteText(const InputEncoding& encoding,
                                    const QList<MissingFigure>& missing) {
    QStringList notes;
    if (!missing.isEmpty())
        notes.append(
            QStringLiteral("図形ファイルが %1 個見つかりません（ここにマウスを置くと一覧）")
                .arg(missing.size()));
    if (encoding.converted()) {
        QString note = QStringLiteral("UTF-8 のファイルをシフト JIS に変換して表示しています");
        if (encoding.unmappedCharacters > 0)
            note += QStringLiteral("（シフト JIS にない文字 %1 個は「？」）")
                        .arg(encoding.unmappedCharacters);
        notes.append(note);
    }
    return notes.join(QStringLiteral("　／　"));
}

QString PreviewStatusLine::toolTipText(const QList<MissingFigure>& missing) {
    QStringList lines;
    for (qsizetype i = 0; i < missing.size() && i < MaxListedFigures; ++i)
        lines.append(QStringLiteral("%1 行目: %2").arg(missing[i].line).arg(missing[i].name));
    if (missing.size() > MaxListedFigures)
        lines.append(QStringLiteral("ほか %1 個").arg(missing.size() - MaxListedFigures));
    return lines.join(QLatin1Char('\n'));
}

void PreviewStatusLine::showNotes(const InputEncoding& encoding,
                                  const QList<MissingFigure>& missing) {
    const QString text = noteText(encoding, missing);
    setText(text);
    setToolTip(toolTipText(missing));
    setVisible(!text.isEmpty());
}
