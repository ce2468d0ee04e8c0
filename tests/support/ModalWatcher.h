#pragma once
// Answers modal windows that a test triggers: records each one (caption, text, buttons) and
// closes it, so that code which runs a message box or dialog returns to the test.

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QTimer>
#include <functional>

struct SeenModal {
    QString className;
    QString title;
    QString text;        // message boxes only
    QStringList buttons; // message boxes only
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

class ModalWatcher : public QObject {
public:
    // inspect runs on each modal window before it is closed (optional).
    explicit ModalWatcher(std::function<void(QWidget*)> inspect = {})
        : inspect_(std::move(inspect)) {
        connect(&timer_, &QTimer::timeout, this, &ModalWatcher::poll);
        timer_.start(10);
    }

    QList<SeenModal> seen;

private:
    void poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        SeenModal s;
        s.className = QString::fromLatin1(modal->metaObject()->className());
        s.title = modal->windowTitle();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            s.text = box->text();
            s.icon = box->icon();
            for (QAbstractButton* b : box->buttons())
                s.buttons << b->text();
        }
        seen << s;
        if (inspect_)
            inspect_(modal);
        if (auto* box = qobject_cast<QMessageBox*>(modal))
            box->buttons().constFirst()->click();
        else if (auto* dialog = qobject_cast<QDialog*>(modal); dialog && dialog->isVisible())
            dialog->reject();
    }

    QTimer timer_;
    std::function<void(QWidget*)> inspect_;
};
