// Help requests from the windows to the viewer: the topic table, the page rule, the ".chm" test,
// ShowHelpTopic's cursor and working directory, and the three help buttons and their F1.

#include <QCursor>
#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "app/FormFolioscopeMain.h"
#include "help/HelpFolder.h"
#include "help/HelpTopics.h"
#include "help/HelpViewer.h"
#include "help/ShowHelpTopic.h"
#include "ui/FormPreView.h"
#include "ui/FormRegDatInjiSettei.h"

namespace {

struct Request {
    QString kind; // "topic" or "toc"
    QString helpFile, page, directory;
    bool busyCursor = false;
};

// Records what it is asked to show, and the state of the process while asked.
class RecordingViewer : public HelpViewer {
public:
    explicit RecordingViewer(QList<Request>* log) : log_(log) {}
    void DisplayTopic(const QString& helpFile, const QString& page) override {
        log_->append({QStringLiteral("topic"), helpFile, page, QDir::currentPath(), busy()});
    }
    void ShowTableOfContents(const QString& helpFile) override {
        log_->append({QStringLiteral("toc"), helpFile, QString(), QDir::currentPath(), busy()});
    }
    void ShutDown() override {}

private:
    static bool busy() {
        const QCursor* c = QGuiApplication::overrideCursor();
        return c && c->shape() == Qt::WaitCursor;
    }
    QList<Request>* log_;
};

} // namespace

class TestHelpTopics : public QObject {
    Q_OBJECT
    QList<Request> log_;
    QTemporaryDir folder_;
    QString helpFolder_;

private slots:
    void initTestCase() {
        helpFolder_ = QDir(folder_.path()).canonicalPath() + QLatin1Char('/');
        InstallHelpViewer(std::make_unique<RecordingViewer>(&log_));
    }
    void init() {
        log_.clear();
        HelpFolder = helpFolder_;
    }

    void topicTable() {
        QCOMPARE(HelpTopicName(6531), QStringLiteral("Zeph印刷プレビュー"));
        QCOMPARE(HelpTopicName(6532), QStringLiteral("Zeph印字出力設定"));
        QCOMPARE(HelpTopicName(6533), QStringLiteral("Zeph機能特徴"));
        for (int other : {0, -1, 6530, 6534, 100})
            QVERIFY2(HelpTopicName(other).isEmpty(), qPrintable(QString::number(other)));
        QCOMPARE(HelpFileNameOfKind(2), QStringLiteral("Folioscope2.chm"));
        QCOMPARE(HelpFileNameOfKind(3), QStringLiteral("Folioscope2.chm"));
        QVERIFY(HelpFileNameOfKind(1).isEmpty());
        QVERIFY(HelpFileNameOfKind(4).isEmpty());
    }

    void pageRule_data() {
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QString>("page");
        QTest::newRow("plain") << "Zeph機能特徴"
                               << "Zeph機能特徴.htm";
        QTest::newRow(".htm") << "a.htm"
                              << "a.htm";
        QTest::newRow(".html") << "a.html"
                               << "a.html";
        QTest::newRow(".HTM") << "a.HTM"
                              << "a.HTM";
        QTest::newRow(".Html") << "a.Html"
                               << "a.Html";
        QTest::newRow(".txt") << "a.txt"
                              << "a.txt.htm";
        QTest::newRow(".htmx") << "a.htmx"
                               << "a.htmx.htm";
        QTest::newRow("dot inside") << "v1.2 概要"
                                    << "v1.2 概要.htm";
    }
    void pageRule() {
        QFETCH(QString, topic);
        QFETCH(QString, page);
        QCOMPARE(TopicPageName(topic), page);
    }

    void chmTest() {
        QVERIFY(IsChmFileName("/x/Folioscope2.chm"));
        QVERIFY(IsChmFileName("a.CHM"));
        QVERIFY(!IsChmFileName("a.chm.bak"));
        QVERIFY(!IsChmFileName("chm"));
        QVERIFY(!IsChmFileName("/x.chm/help"));
        QCOMPARE(ResolveHelpFile("h.chm", "/opt/f/"), QStringLiteral("/opt/f/h.chm"));
        QCOMPARE(ResolveHelpFile("/a/h.chm", "/opt/f/"), QStringLiteral("/a/h.chm"));
    }

    // Topic or table of contents, in the help file of the folder, with the busy cursor and the
    // folder as working directory during the request, both restored afterwards.
    void showHelpTopic() {
        const QString before = QDir::currentPath();
        QGuiApplication::setOverrideCursor(QCursor(Qt::CrossCursor));
        ShowHelpTopic(6532, helpFolder_, 2);
        ShowHelpTopic(4711, helpFolder_, 3);
        ShowHelpTopic(6533, helpFolder_, 7); // a kind without a .chm: nothing is shown
        QCOMPARE(QDir::currentPath(), before);
        QVERIFY(QGuiApplication::overrideCursor());
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
        QGuiApplication::restoreOverrideCursor();
        QVERIFY(!QGuiApplication::overrideCursor());

        QCOMPARE(log_.size(), 2);
        QCOMPARE(log_[0].kind, QStringLiteral("topic"));
        QCOMPARE(log_[0].helpFile, helpFolder_ + "Folioscope2.chm");
        QCOMPARE(log_[0].page, QStringLiteral("Zeph印字出力設定.htm"));
        QCOMPARE(log_[0].directory + '/', helpFolder_);
        QVERIFY(log_[0].busyCursor);
        QCOMPARE(log_[1].kind, QStringLiteral("toc"));
        QCOMPARE(log_[1].helpFile, helpFolder_ + "Folioscope2.chm");
        QCOMPARE(ApplicationHelpFile(), helpFolder_);
    }

    // A folder that cannot be entered still leaves the directory as it was.
    void missingFolder() {
        const QString before = QDir::currentPath();
        ShowHelpTopic(6533, QStringLiteral("/nonexistent-help-folder/"), 2);
        QCOMPARE(QDir::currentPath(), before);
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void mainWindowButtonAndF1() {
        TFormFolioscopeMain window;
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        HelpFolder = helpFolder_; // the first showing set the program's folder
        window.BitBtnHelp->click();
        QTest::keyClick(window.focusWidget() ? window.focusWidget() : &window, Qt::Key_F1);
        QCOMPARE(log_.size(), 2);
        for (const Request& r : log_) {
            QCOMPARE(r.helpFile, helpFolder_ + "Folioscope2.chm");
            QCOMPARE(r.page, QStringLiteral("Zeph機能特徴.htm"));
        }
    }

    void previewButtonAndF1() {
        TFormPreView preview;
        preview.show();
        QVERIFY(QTest::qWaitForWindowExposed(&preview));
        preview.BitBtnHelp->click();
        QTest::keyClick(preview.focusWidget() ? preview.focusWidget() : &preview, Qt::Key_F1);
        QCOMPARE(log_.size(), 2);
        for (const Request& r : log_) {
            QCOMPARE(r.helpFile, helpFolder_ + "Folioscope2.chm");
            QCOMPARE(r.page, QStringLiteral("Zeph印刷プレビュー.htm"));
        }
        preview.close();
    }

    // F1 while typing a margin opens the dialog's topic, as its button does; the box keeps
    // its text and the dialog stays open.
    void settingsDialogButtonAndF1() {
        TFormRegDatInjiSettei dialog;
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        dialog.BitBtnHelp->click();
        dialog.Edit2->setFocus();
        dialog.Edit2->setText(QStringLiteral("7"));
        QTest::keyClick(dialog.Edit2, Qt::Key_F1);
        QCOMPARE(log_.size(), 2);
        for (const Request& r : log_) {
            QCOMPARE(r.helpFile, helpFolder_ + "Folioscope2.chm");
            QCOMPARE(r.page, QStringLiteral("Zeph印字出力設定.htm"));
        }
        QCOMPARE(dialog.Edit2->text(), QStringLiteral("7"));
        QVERIFY(dialog.isVisible());
        dialog.reject();
    }
};

QTEST_MAIN(TestHelpTopics)
#include "tst_HelpTopics.moc"
