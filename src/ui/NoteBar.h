#pragma once
// A one-line note across the preview window (the file was read again, or could not be): an
// information goes away by itself after a while, a problem stays until the next note.

#include <QLabel>
#include <QTimer>

class NoteBar : public QLabel {
    Q_OBJECT
public:
    explicit NoteBar(QWidget* parent = nullptr);

    enum class Kind { Information, Problem };
    void showNote(const QString& text, Kind kind);
    Kind kind() const { return kind_; }

    static constexpr int InformationMs = 8000;

private:
    QTimer hide_;
    Kind kind_ = Kind::Information;
};
