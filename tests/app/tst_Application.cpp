#include <QTest>
#include <QTimer>

#include "app/Application.h"
#include "app/TextFileReader.h"
#include "support/ModalWatcher.h"

namespace {

// An object whose event handler fails with whatever fail() throws.
class Failing : public QObject {
public:
    std::function<void()> fail;
    int handled = 0;
    bool event(QEvent* e) override {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        ++handled;
        fail();
        return true;
    }
};

} // namespace

class TestApplication : public QObject {
    Q_OBJECT

    QStringList reported_;
    std::function<void(const QString&)> standardReport_;
    Application& app() { return *static_cast<Application*>(QCoreApplication::instance()); }

    void deliver(Failing& target) {
        QEvent event(QEvent::User);
        QCoreApplication::sendEvent(&target, &event);
    }

private slots:
    void initTestCase() { standardReport_ = app().ReportError; }

    void init() {
        reported_.clear();
        app().ReportError = [this](const QString& message) { reported_ << message; };
    }

    void failuresEndTheHandlerOnly_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("runtime_error") << 0 << QStringLiteral("ファイルが壊れています");
        QTest::newRow("own error class") << 1 << QStringLiteral("ファイル \"x\" を開けません。");
        QTest::newRow("bad_alloc") << 2 << QStringLiteral("メモリが不足しています。");
        QTest::newRow("not an exception class")
            << 3 << QStringLiteral("不明なエラーが発生しました。");
    }
    void failuresEndTheHandlerOnly() {
        QFETCH(int, kind);
        QFETCH(QString, message);
        Failing target;
        target.fail = [kind] {
            switch (kind) {
            case 0:
                throw std::runtime_error("ファイルが壊れています");
            case 1:
                throw TextFileError(QStringLiteral("ファイル \"x\" を開けません。"));
            case 2:
                throw std::bad_alloc();
            default:
                throw 42;
            }
        };
        deliver(target);
        deliver(target); // and the next event is handled again
        QCOMPARE(target.handled, 2);
        QCOMPARE(reported_, (QStringList{message, message}));
    }

    void postedEventsAndTimersToo() {
        Failing target;
        target.fail = [] { throw std::runtime_error("later"); };
        QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
        QTimer::singleShot(0, [] { throw std::runtime_error("timer"); });
        QTRY_COMPARE(reported_.size(), 2);
        QVERIFY(reported_.contains("later") && reported_.contains("timer"));
    }

    void standardErrorBox() {
        app().ReportError = standardReport_;
        Failing target;
        target.fail = [] { throw std::runtime_error("読めません"); };
        ModalWatcher watcher;
        deliver(target);
        QCOMPARE(watcher.seen.size(), 1);
        QCOMPARE(watcher.seen[0].icon, QMessageBox::Critical);
        QCOMPARE(watcher.seen[0].title, QCoreApplication::applicationName());
        QCOMPARE(watcher.seen[0].text, QStringLiteral("読めません"));
        QCOMPARE(watcher.seen[0].buttons.size(), 1);
    }
};

int main(int argc, char** argv) {
    Application app(argc, argv);
    TestApplication test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Application.moc"
