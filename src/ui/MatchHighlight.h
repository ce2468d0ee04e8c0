#pragma once
// Marks the matches of a search on the page picture: a see-through layer over the picture
// that paints the boxes its provider gives for the page shown, the current match stronger.

#include <QList>
#include <QRect>
#include <QWidget>
#include <functional>

class PageImageView;
class PageRecording;

struct MatchMarks {
    QList<QRect> others;  // page dots
    QList<QRect> current; // page dots
};

class MatchHighlight : public QWidget {
    Q_OBJECT
public:
    using Provider = std::function<MatchMarks(const PageRecording& page)>;
    // Lies over image and follows its size; asks provider at every paint.
    MatchHighlight(PageImageView* image, Provider provider);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    PageImageView* image_;
    Provider provider_;
};
