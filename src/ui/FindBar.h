#pragma once
// The find bar under the preview's toolbar: a box for the text to find, buttons for the
// previous and the next match, what was found ("n / m 件"), and a close button. It only
// reports what the user asks for; PreviewFind does the finding.

#include <QWidget>

class QLabel;
class QLineEdit;
class QToolButton;

class FindBar : public QWidget {
    Q_OBJECT
public:
    explicit FindBar(QWidget* parent = nullptr);

    QLineEdit* Edit = nullptr;
    QToolButton* PreviousButton = nullptr;
    QToolButton* NextButton = nullptr;
    QLabel* Status = nullptr;
    QToolButton* CloseButton = nullptr;

    // Shows the bar with the keyboard in its box, the text there selected.
    void open();
    // Hides the bar and says so (closed()).
    void close();
    void setStatus(const QString& text);

    static QString foundText(int ordinal, int total);
    static QString notFoundText();
    static QString searchingText();

signals:
    void queryChanged(const QString& text);
    void findNext();
    void findPrevious();
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
