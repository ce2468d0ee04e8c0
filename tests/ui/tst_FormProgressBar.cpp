#include <QFrame>
#include <QMainWindow>
#include <QProgressBar>
#include <QTest>

#include "document/LayoutEngine.h"
#include "pages/PrintPreview.h"
#include "platform/FontSubstitution.h"
#include "ui/FormProgressBar.h"

class TestFormProgressBar : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { font_substitution::install(); }

    void looksLikeASmallFixedDialogWithoutBorderIcons() {
        TFormProgressBar form;
        QCOMPARE(form.windowTitle(), QStringLiteral("データ処理中..."));
        QVERIFY(!form.isModal());
        QVERIFY(!(form.windowFlags() & Qt::WindowCloseButtonHint));
        QVERIFY(!(form.windowFlags() & Qt::WindowSystemMenuHint));
        QCOMPARE(form.minimumSize(), form.maximumSize());
        QCOMPARE(form.Panel1->frameShadow(), QFrame::Sunken);
        QCOMPARE(form.ProgressBar1->parentWidget(), form.Panel1);
        QVERIFY(!form.ProgressBar1->isTextVisible());
    }

    void followsALayoutAndClosesAtItsEnd() {
        QMainWindow main;
        main.setGeometry(100, 100, 800, 600);
        main.show();
        TFormProgressBar form(&main);
        LayoutState state;
        state.PrinterInfo = TPrinterInfo::forPaper(QSizeF(210, 297), 72);
        state.CurFont = TextFont{QStringLiteral("ＭＳ 明朝"), 9};
        TPrintPreview store;
        const TOutputSettings settings;
        LayoutEngine engine(state, store, settings, &form);
        engine.CalcFrameGeometry();

        // Seen while the layout runs: shown, centred, bar range from the line count.
        struct Probe : LayoutProgress {
            TFormProgressBar& form;
            QMainWindow& main;
            bool visible = false, centred = false;
            int maximum = -1, value = -1;
            Probe(TFormProgressBar& f, QMainWindow& m) : form(f), main(m) {}
            void start(int n) override { form.start(n); }
            void step() override {
                form.step();
                visible = form.isVisible();
                centred = (form.frameGeometry().center() - main.frameGeometry().center())
                              .manhattanLength() <= 2;
                maximum = form.ProgressBar1->maximum();
                value = form.ProgressBar1->value();
            }
            void finish() override { form.finish(); }
        } probe(form, main);
        engine.setProgress(&probe);
        engine.LayoutDocument({"a", "b", "c", "d"});
        QVERIFY(probe.visible);
        QVERIFY(probe.centred);
        QCOMPARE(probe.maximum, 4);
        QCOMPARE(probe.value, 4);
        QVERIFY(!form.isVisible());
    }
};

QTEST_MAIN(TestFormProgressBar)
#include "tst_FormProgressBar.moc"
