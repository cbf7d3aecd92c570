#include "Program.h"
#include "TForm1.h"

#include "BannerPage.h"
#include "BannerPane.h"
#include "Codec.h"
#include "CsvReader.h"
#include "ResultsModel.h"
#include "StoreFixture.h"
#include "TForm2.h"
#include "TestFiles.h"
#include "Toolkit.h"

#include "LoopbackServer.h"
#include "TrendChart.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QValueAxis>
#include <QWebEnginePage>

namespace {

QueryRun row(const char *domain, QDate day, int total, int hour = 10)
{
    QueryRun run;
    run.CurrentDomain = domain;
    run.QueryTime = datetime::make(day, QTime(hour, 0));
    run.Result.baidu = total;
    run.Result.baidu1 = total / 10;
    run.Result.baidu7 = -1;
    run.Result.baidu30 = 30;
    run.Result.baidu360 = 360;
    run.Result.baidudomain = 5;
    run.Result.baiduindex = datetime::noSnapshot();
    run.Result.baiduisfirst = total % 2 == 0;
    return run;
}

// A window on a store of its own, with no banner, whose messages are
// recorded instead of shown.
struct WindowFixture
{
    StoreFixture files;
    QStringList messages;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<TForm2> dialog;
    // Checks every change of the results list against the model rules.
    std::unique_ptr<QAbstractItemModelTester> modelTester;

    explicit WindowFixture(const std::function<void(ResultStore &)> &fill = {})
    {
        if (fill)
            fill(*files.store);
        files.store.reset();
        toolkit::setMessageSink([this](const QString &text) { messages << text; });
        TForm1::Options options;
        options.storePath = files.path();
        options.bannerUrl = QUrl();
        form = std::make_unique<TForm1>(options);
        modelTester = std::make_unique<QAbstractItemModelTester>(
            form->lv1Rows, QAbstractItemModelTester::FailureReportingMode::QtTest);
    }
    ~WindowFixture()
    {
        modelTester.reset();
        toolkit::setMessageSink({});
    }

    bool create()
    {
        if (!form->FormCreate())
            return false;
        dialog = std::make_unique<TForm2>(
            *form->cbb1, [f = form.get()]() -> ResultStore & { return f->store(); });
        form->Form2 = dialog.get();
        return true;
    }
    QString cell(int r, int c) const { return form->lv1->model()->index(r, c).data().toString(); }
};

void fillThree(ResultStore &s)
{
    for (const char *d : {"a.com", "b.com", "c.com"})
        s.addDomain(d);
    addRow(s, row("a.com", QDate(2024, 1, 1), 100));
    addRow(s, row("a.com", QDate(2024, 1, 2), 1234567));
    addRow(s, row("b.com", QDate(2024, 1, 3), 7));
    addRow(s, row("gone.com", QDate(2024, 1, 4), 9)); // not in the list
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void startWithEmptyStore();
    void startWithFilledStore();
    void unopenableStore_data();
    void unopenableStore();
    void onlyTheListGrows();
    void delayBox_data();
    void delayBox();
    void overviewCells();
    void historyAndChart();
    void answersNotObtainedStandOut();
    void singlePointAndEmptyChart();
    void copyRowsAsTabSeparatedText();
    void exportAndChartPicture();
    void historyOfUnknownDomainKeepsChart();
    void selectionChartsTheRow();
    void checkBoxesShowAndHideSeries();
    void failureInHandlerIsShown();
    void dialogShowAndCancel();
    void dialogSave_data();
    void dialogSave();
    void dialogSaveFailureKeepsList();
    void bannerSitsFlush();
    void bannerStaysABanner();
    void bannerGuardRefusesLocalAddresses_data();
    void bannerGuardRefusesLocalAddresses();
    void bannerFailureAffectsNothing();
};

void TestMainWindow::startWithEmptyStore()
{
    WindowFixture w;
    QVERIFY(w.create());
    TForm1 &f = *w.form;
    QCOMPARE(f.windowTitle(), QStringLiteral("OrvaneTalvexaV1.0"));
    QCOMPARE(f.cbb1->count(), 0);
    QCOMPARE(f.cbb1->currentText(), QString());
    QVERIFY(f.Urls.has_value());
    QVERIFY(f.lv1->showGrid());
    QCOMPARE(f.lv1->model()->rowCount(), 0);
    QCOMPARE(f.Chart1->titleText(), QStringLiteral("最近30日走势图"));
    QVERIFY(!f.Timer1->isActive());
    QCOMPARE(f.Timer1->interval(), 1000);
    QCOMPARE(f.bsSkinSpinEdit1->value(), 2);
    QCOMPARE(f.bskng1->value(), 0);
    QVERIFY(!f.bskng1->isTextVisible());
    QCOMPARE(f.bsSkinStatusPanel1->text(), QString());
    QVERIFY(w.messages.isEmpty());
    for (QPushButton *b :
         {f.bsSkinXFormButton1, f.bsSkinXFormButton2, f.bsSkinXFormButton3, f.btn2})
        QCOMPARE(b->focusPolicy(), Qt::NoFocus);
    QCOMPARE(f.lbl2->text(), QStringLiteral("注意：www.example.com和example.com查询结果不同，"
                                            "请不要输入http://和\"/\",\"\\\"。"));
}

void TestMainWindow::startWithFilledStore()
{
    WindowFixture w(fillThree);
    QVERIFY(w.create());
    QCOMPARE(w.form->cbb1->count(), 3);
    QCOMPARE(w.form->cbb1->itemText(0), QStringLiteral("a.com"));
    QCOMPARE(w.form->cbb1->currentText(), QStringLiteral("c.com"));
    // Start-up fills neither view.
    QCOMPARE(w.form->lv1->model()->rowCount(), 0);
}

void TestMainWindow::unopenableStore_data()
{
    QTest::addColumn<QByteArray>("content"); // empty: no file at all
    QTest::newRow("missing") << QByteArray();
    QTest::newRow("random bytes") << QByteArray(4096, '\x5a');
    QTest::newRow("plain text") << QByteArray("setting");
}

void TestMainWindow::unopenableStore()
{
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    const QString path = dir.filePath("setting.dat");
    if (!content.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    const QByteArray before = digestOf(path);
    QStringList messages;
    toolkit::setMessageSink([&](const QString &text) { messages << text; });
    TForm1::Options options;
    options.storePath = path;
    options.bannerUrl = QUrl();
    TForm1 form(options);
    QVERIFY(!form.FormCreate());
    toolkit::setMessageSink({});
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0].section(u'\n', 0, 0), QStringLiteral("文件不完整"));
    // The detail names the file tried and how to make an empty store.
    QVERIFY(messages[0].contains(QFileInfo(path).absoluteFilePath()));
    QVERIFY(messages[0].contains("talvexa-create-store"));
    QCOMPARE(digestOf(path), before);
    QCOMPARE(QFile::exists(path), !content.isEmpty());
}

void TestMainWindow::onlyTheListGrows()
{
    WindowFixture w;
    QVERIFY(w.create());
    TForm1 &f = *w.form;
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    QCOMPARE(f.size(), QSize(802, 665));
    QCOMPARE(f.lv1->height(), 255);
    f.resize(1000, 900);
    QTRY_COMPARE(f.lv1->height(), 900 - 57 - 72 - 20 - 261);
    QCOMPARE(f.bspanel1->height(), 57);
    QCOMPARE(f.WebBrowser1->height(), 72);
    QCOMPARE(f.bskng1->height(), 20);
    QCOMPARE(f.chartArea->height(), 261);
    QCOMPARE(f.WebBrowser1->width(), 1000);
    QCOMPARE(f.bsSkinPanel1->height(), 29);
    QCOMPARE(f.bsSkinStatusBar1->height(), 21);
    // Order of the bands, top to bottom.
    QVERIFY(f.bspanel1->y() < f.WebBrowser1->y());
    QVERIFY(f.WebBrowser1->y() < f.lv1->y());
    QVERIFY(f.lv1->y() < f.bskng1->y());
    QVERIFY(f.bskng1->y() < f.chartArea->y());
}

void TestMainWindow::delayBox_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("value");
    QTest::newRow("zero") << "0" << 1;
    QTest::newRow("above") << "99" << 60;
    QTest::newRow("far above") << "123456789012" << 60;
    QTest::newRow("inside") << "17" << 17;
    QTest::newRow("empty") << "" << 5;
    QTest::newRow("letters") << "ab" << 5;
}

void TestMainWindow::delayBox()
{
    QFETCH(QString, typed);
    QFETCH(int, value);
    WindowFixture w;
    QVERIFY(w.create());
    QSpinBox *spin = w.form->bsSkinSpinEdit1;
    spin->setValue(5);
    QLineEdit *edit = spin->findChild<QLineEdit *>();
    QVERIFY(edit);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, typed);
    QTest::keyClick(spin, Qt::Key_Return);
    QCOMPARE(spin->value(), value);
}

void TestMainWindow::overviewCells()
{
    WindowFixture w([](ResultStore &s) {
        fillThree(s);
        QueryRun late = row("c.com", QDate(2024, 1, 5), 3);
        late.Result.baiduindex = datetime::make(QDate(2008, 9, 5), QTime(13, 4, 5));
        addRow(s, late);
    });
    QVERIFY(w.create());
    w.form->LoadShoulu(QString());
    QCOMPARE(w.form->lv1->model()->rowCount(), 3);
    // Newest query first; the unlisted domain is not shown.
    QCOMPARE(w.cell(0, 1), QStringLiteral("c.com"));
    QCOMPARE(w.cell(1, 1), QStringLiteral("b.com"));
    QCOMPARE(w.cell(2, 1), QStringLiteral("a.com"));
    QCOMPARE(w.cell(2, 0), QStringLiteral("3"));
    QCOMPARE(w.cell(2, 2), QStringLiteral("2024-01-02"));
    QCOMPARE(w.cell(2, 3), QStringLiteral("1234567"));
    QCOMPARE(w.cell(2, 5), QStringLiteral("-1"));
    QCOMPARE(w.cell(2, 9), QStringLiteral("1900-01-01"));
    QCOMPARE(w.cell(0, 9), QStringLiteral("2008-09-05 13:04:05"));
    QCOMPARE(w.cell(2, 10), QStringLiteral("否"));
    QCOMPARE(w.cell(1, 10), QStringLiteral("否"));
    QCOMPARE(w.cell(0, 10), QStringLiteral("否"));
    QCOMPARE(w.form->lv1->model()->headerData(10, Qt::Horizontal).toString(),
             QStringLiteral("Site首页第一?"));
    QVERIFY(w.form->lv1->verticalHeader()->defaultSectionSize() >= 20);
}

void TestMainWindow::historyAndChart()
{
    WindowFixture w([](ResultStore &s) {
        s.addDomain("a.com");
        for (int i = 0; i < 35; ++i)
            addRow(s, row("a.com", QDate(2024, 3, 1).addDays(i), 1000 + i));
    });
    QVERIFY(w.create());
    w.form->cbb1->setEditText("a.com");
    w.form->bsSkinXFormButton3Click();
    QCOMPARE(w.form->lv1->model()->rowCount(), 35);
    QCOMPARE(w.cell(0, 2), QStringLiteral("2024-04-04"));
    TrendChart *chart = w.form->Chart1;
    QCOMPARE(chart->titleText(), QStringLiteral("a.com最近30日走势图"));
    const QList<QPointF> points = chart->series(0)->points();
    QCOMPARE(points.size(), 30);
    QCOMPARE(points.first(), QPointF(0, 1005)); // the oldest of the 30 on the left
    QCOMPARE(points.last(), QPointF(29, 1034));
    QCOMPARE(chart->series(2)->points().first().y(), -1.0);
    QCOMPARE(chart->series(6)->points().size(), 0);
    QCOMPARE(chart->xLabels().first(), QStringLiteral("2024-03-06"));
    QCOMPARE(chart->xLabels().last(), QStringLiteral("2024-04-04"));
    // Only box 1 is checked at start: the first refresh brings the others in line.
    QVERIFY(chart->seriesActive(0));
    for (int p = 1; p < 7; ++p)
        QVERIFY(!chart->seriesActive(p));

    // The overview empties the chart but keeps its title.
    w.form->LoadShoulu(QString());
    QCOMPARE(chart->series(0)->points().size(), 0);
    QCOMPARE(chart->titleText(), QStringLiteral("a.com最近30日走势图"));
}

void TestMainWindow::answersNotObtainedStandOut()
{
    AnswerRecords answers{};
    for (AnswerRecord &a : answers)
        a = AnswerRecord{AnswerOutcome::Read, 200};
    answers[0] = {AnswerOutcome::Current, 200};
    answers[1] = {AnswerOutcome::Blocked, 403};
    answers[5] = {AnswerOutcome::Unrecognised, 200};
    answers[6] = {AnswerOutcome::Failed, 0};
    WindowFixture w([&answers](ResultStore &s) {
        s.addDomain("a.com");
        s.addDomain("b.com");
        const QueryRun a1 = row("a.com", QDate(2024, 3, 1), 10);
        s.addshoulu("a.com", a1.QueryTime, a1.Result, answers);
        const QueryRun a2 = row("a.com", QDate(2024, 3, 2), 11);
        AnswerRecords fine{};
        fine.fill(AnswerRecord{AnswerOutcome::Read, 200});
        s.addshoulu("a.com", a2.QueryTime, a2.Result, fine);
        const QueryRun b1 = row("b.com", QDate(2024, 3, 1), 12);
        s.addshoulu("b.com", b1.QueryTime, b1.Result, answers);
    });
    QVERIFY(w.create());
    w.form->LoadShoulu(QString());
    QAbstractItemModel *m = w.form->lv1->model();
    auto data = [m](int r, int c, int role) { return m->index(r, c).data(role); };
    // b.com's row has answers not obtained; a.com's latest is all read.
    const int b = w.cell(0, ResultsModel::Domain) == "b.com" ? 0 : 1;
    QVERIFY(!data(1 - b, ResultsModel::Domain, Qt::BackgroundRole).isValid());
    QVERIFY(!data(1 - b, ResultsModel::Day, Qt::ForegroundRole).isValid());
    QCOMPARE(w.cell(b, ResultsModel::Day), QStringLiteral("1")); // the text stays
    QCOMPARE(data(b, ResultsModel::Day, Qt::ToolTipRole).toString(),
             QStringLiteral("被百度安全验证拦截（HTTP 403）"));
    QCOMPARE(data(b, ResultsModel::Day, Qt::ForegroundRole).value<QColor>(), QColor(0xB0, 0, 0x20));
    QCOMPARE(data(b, ResultsModel::Backlinks, Qt::ToolTipRole).toString(),
             QStringLiteral("页面格式无法识别（HTTP 200）"));
    QVERIFY(data(b, ResultsModel::Snapshot, Qt::ToolTipRole).toString().startsWith("查询失败："));
    // Read from today's layout: a note, but a real figure.
    QCOMPARE(data(b, ResultsModel::Total, Qt::ToolTipRole).toString(),
             QStringLiteral("按百度当前的页面格式读取"));
    QVERIFY(!data(b, ResultsModel::Total, Qt::ForegroundRole).isValid());
    QVERIFY(!data(b, ResultsModel::Week, Qt::ToolTipRole).isValid());
    // The row is marked as a whole.
    QVERIFY(data(b, ResultsModel::Domain, Qt::BackgroundRole).isValid());
    QVERIFY(data(b, ResultsModel::Domain, Qt::ToolTipRole).toString().contains("昨日收录"));

    // The chart rings the points that are not real, and says why.
    w.form->cbb1->setEditText("a.com");
    w.form->bsSkinXFormButton3Click();
    TrendChart *chart = w.form->Chart1;
    QCOMPARE(chart->series(1)->points().size(), 2);
    QCOMPARE(chart->pointNote(1, 0), QStringLiteral("被百度安全验证拦截（HTTP 403）"));
    QVERIFY(chart->series(1)->isPointSelected(0)); // drawn as a ring
    QCOMPARE(chart->pointNote(0, 0), QString());   // today's layout: a real figure
    QCOMPARE(chart->pointNote(1, 1), QString());   // the next day was read
    QVERIFY(!chart->series(1)->isPointSelected(1));
    // A refill forgets the old marks.
    w.form->LoadShoulu(QString());
    QCOMPARE(chart->pointNote(1, 0), QString());
    QVERIFY(chart->series(1)->points().isEmpty());
}

void TestMainWindow::singlePointAndEmptyChart()
{
    WindowFixture w([](ResultStore &s) {
        s.addDomain("one.com");
        addRow(s, row("one.com", QDate(2024, 5, 1), 1234));
    });
    QVERIFY(w.create());
    w.form->cbb1->setEditText("one.com");
    w.form->bsSkinXFormButton3Click();
    TrendChart *chart = w.form->Chart1;
    QCOMPARE(chart->series(0)->points().size(), 1);
    QVERIFY(chart->series(0)->pointsVisible()); // one day alone still shows
    // Hovering the point tells its date, series and value.
    w.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
    const QPoint at =
        chart->mapFromScene(chart->chart()->mapToPosition(QPointF(0, 1234), chart->series(0)));
    QTest::mouseMove(chart->viewport(), at + QPoint(3, 0));
    QTest::mouseMove(chart->viewport(), at);
    QTRY_COMPARE_WITH_TIMEOUT(QToolTip::text(), QStringLiteral("2024-05-01 总收录：1,234"), 3000);
    // Emptied: no points anywhere, and whole-number ticks on the value axis.
    w.form->LoadShoulu(QString());
    for (int p = 0; p < TrendChart::SeriesCount; ++p)
        QCOMPARE(chart->series(p)->count(), 0);
    const auto *axis = qobject_cast<QValueAxis *>(chart->chart()->axes(Qt::Vertical).value(0));
    QVERIFY(axis);
    const double step = (axis->max() - axis->min()) / (axis->tickCount() - 1);
    QCOMPARE(axis->min(), 0.0);
    QCOMPARE(step, std::round(step));
}

void TestMainWindow::copyRowsAsTabSeparatedText()
{
    WindowFixture w(fillThree);
    QVERIFY(w.create());
    w.form->show();
    w.form->LoadShoulu(QString());
    QTableView *list = w.form->lv1;
    auto cellsOf = [](const QString &text) {
        QList<QStringList> rows;
        for (const QString &line : text.split(u'\n', Qt::SkipEmptyParts))
            rows << line.split(u'\t');
        return rows;
    };
    // Nothing selected: every row shown, under the captions.
    QApplication::clipboard()->clear();
    list->setFocus();
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
    QList<QStringList> all = cellsOf(QApplication::clipboard()->text());
    QCOMPARE(all.size(), 3);
    QCOMPARE(all[0].size(), 11);
    QCOMPARE(all[0][1], QStringLiteral("域名"));
    QCOMPARE(all[1], (QStringList{w.cell(0, 0), w.cell(0, 1), w.cell(0, 2), w.cell(0, 3),
                                  w.cell(0, 4), w.cell(0, 5), w.cell(0, 6), w.cell(0, 7),
                                  w.cell(0, 8), w.cell(0, 9), w.cell(0, 10)}));
    // One row selected: that row.
    list->selectRow(1);
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
    const QList<QStringList> one = cellsOf(QApplication::clipboard()->text());
    QCOMPARE(one.size(), 2);
    QCOMPARE(one[1][1], w.cell(1, 1));
    QCOMPARE(one[1][5], QStringLiteral("-1")); // 一周收录
    QCOMPARE(one[1][9], QStringLiteral("1900-01-01"));
    QCOMPARE(one[1][10], w.cell(1, 10)); // 是 or 否, as shown
}

void TestMainWindow::exportAndChartPicture()
{
    WindowFixture w([](ResultStore &s) {
        s.addDomain("a,\"b\".com");
        for (int i = 0; i < 5; ++i)
            addRow(s, row("a,\"b\".com", QDate(2024, 3, 1).addDays(i), 1000 * (i + 1)));
    });
    QVERIFY(w.create());
    w.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
    QTemporaryDir out;
    // The overview, then one domain's history, as the list shows them.
    w.form->LoadShoulu(QString());
    QVERIFY(w.form->defaultCsvName().startsWith("talvexa-总览-"));
    QVERIFY(w.form->exportCsvTo(out.filePath("overview.csv")));
    w.form->historyOfRow(0); // "查看历史"
    QCOMPARE(w.form->lv1->model()->rowCount(), 5);
    QVERIFY(w.form->defaultCsvName().startsWith("talvexa-a,\"b\".com-历史-"));
    QVERIFY(w.form->exportCsvTo(out.filePath("history.csv")));
    for (const char *name : {"overview.csv", "history.csv"}) {
        QFile file(out.filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QStringList> table = readCsv(file.readAll());
        QCOMPARE(table[0].value(11), QStringLiteral("未取得"));
        if (QByteArray(name) == "history.csv") {
            QCOMPARE(table.size(), 6);
            for (int r = 0; r < 5; ++r) {
                for (int c = 0; c < 11; ++c)
                    QCOMPARE(table[r + 1][c], w.cell(r, c));
            }
        } else {
            QCOMPARE(table.size(), 2);
            QCOMPARE(table[1][1], QStringLiteral("a,\"b\".com"));
        }
    }
    // A target that cannot be written: the reason, and nothing left behind.
    QDir(out.path()).mkdir("taken.csv");
    const QStringList before = QDir(out.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
    QVERIFY(!w.form->exportCsvTo(out.filePath("taken.csv")));
    QCOMPARE(w.messages.size(), 1);
    QVERIFY(w.messages[0].startsWith("无法写入"));
    QCOMPARE(QDir(out.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), before);

    // The chart as a picture: twice its pixels, the shown series drawn.
    const QString png = out.filePath("chart.png");
    QVERIFY(w.form->saveChartTo(png));
    const QImage image(png);
    QCOMPARE(image.size(), w.form->Chart1->size() * 2);
    int blue = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            blue += c.blue() > 200 && c.red() < 60 && c.green() < 60;
        }
    }
    QVERIFY2(blue > 100, QByteArray::number(blue)); // the total series, in its blue

    // "查询此域名" does what the query button does.
    w.form->queryRow(0);
    QCOMPARE(w.form->bsSkinStatusPanel1->text(), QStringLiteral("正在查询：a,\"b\".com"));
    QVERIFY(w.form->Run().Busy);
}

void TestMainWindow::historyOfUnknownDomainKeepsChart()
{
    WindowFixture w([](ResultStore &s) {
        s.addDomain("a.com");
        addRow(s, row("a.com", QDate(2024, 3, 1), 10));
        addRow(s, row("gone.com", QDate(2024, 3, 1), 20));
    });
    QVERIFY(w.create());
    w.form->LoadShoulu("a.com");
    for (const char *d : {"none.com", "gone.com"}) {
        w.form->LoadShoulu(QString::fromLatin1(d));
        QCOMPARE(w.form->lv1->model()->rowCount(), 0);
        QCOMPARE(w.form->Chart1->series(0)->points().size(), 1);
        QCOMPARE(w.form->Chart1->titleText(), QStringLiteral("a.com最近30日走势图"));
    }
    // updateChat itself retitles for a domain without rows, points kept.
    w.form->updateChat("none.com");
    QCOMPARE(w.form->Chart1->titleText(), QStringLiteral("none.com最近30日走势图"));
    QCOMPARE(w.form->Chart1->series(0)->points().size(), 1);
}

void TestMainWindow::selectionChartsTheRow()
{
    WindowFixture w(fillThree);
    QVERIFY(w.create());
    w.form->LoadShoulu(QString());
    QTableView *list = w.form->lv1;
    QCOMPARE(w.cell(0, 1), QStringLiteral("b.com"));
    list->selectRow(0);
    QCOMPARE(w.form->Chart1->titleText(), QStringLiteral("b.com最近30日走势图"));
    QCOMPARE(w.form->Chart1->series(0)->points().size(), 1);
    list->selectRow(1); // a.com: b.com loses the selection first
    QCOMPARE(w.form->Chart1->titleText(), QStringLiteral("a.com最近30日走势图"));
    QCOMPARE(w.form->Chart1->series(0)->points().size(), 2);
    // Losing the selection redraws the chart for the row that lost it.
    w.form->updateChat("b.com");
    list->clearSelection();
    QCOMPARE(w.form->Chart1->titleText(), QStringLiteral("a.com最近30日走势图"));
    QCOMPARE(w.form->Chart1->series(0)->points().size(), 2);
}

void TestMainWindow::checkBoxesShowAndHideSeries()
{
    WindowFixture w(fillThree);
    QVERIFY(w.create());
    w.form->LoadShoulu("a.com");
    TrendChart *chart = w.form->Chart1;
    QCheckBox *box1 = w.form->bsSkinCheckRadioBox[0];
    QCheckBox *box3 = w.form->bsSkinCheckRadioBox[2];
    QVERIFY(!w.form->bsSkinCheckRadioBox[6]->isVisibleTo(w.form.get()));
    box3->click();
    QVERIFY(chart->seriesActive(2));
    box1->click();
    QVERIFY(!chart->seriesActive(0));
    QCOMPARE(chart->series(0)->points().size(), 2); // hidden, points kept
    const QList<QLegendMarker *> markers = chart->chart()->legend()->markers(chart->series(0));
    QVERIFY(!markers.isEmpty() && !markers.first()->isVisible());
    box1->click();
    QVERIFY(chart->seriesActive(0));
    QVERIFY(!chart->seriesActive(6));
}

void TestMainWindow::failureInHandlerIsShown()
{
    WindowFixture w(fillThree);
    QVERIFY(w.create());
    // Another connection takes the history table away for a moment.
    SqlDatabase other(w.files.path());
    other.setKey(ResultStore::password());
    other.execute("alter table shoulu rename to shoulu_away");
    w.form->cbb1->setEditText(QString());
    w.form->bsSkinXFormButton3->click();
    other.execute("alter table shoulu_away rename to shoulu");
    QCOMPARE(w.messages.size(), 1);
    QVERIFY2(w.messages.first().contains("shoulu"), qPrintable(w.messages.first()));
    // The window goes on working.
    w.form->bsSkinXFormButton3->click();
    QCOMPARE(w.form->lv1->model()->rowCount(), 2);
}

void TestMainWindow::dialogShowAndCancel()
{
    WindowFixture w(fillThree);
    QVERIFY(w.create());
    TForm2 &d = *w.dialog;
    QCOMPARE(d.windowTitle(), QStringLiteral("编辑待查询域名列表"));
    QCOMPARE(d.bsSkinStdLabel1->text(),
             QStringLiteral("每行只能填写一个域名，WWW和不带WWW的查询结果不同。"));
    QCOMPARE(d.lbl1->text(), QStringLiteral("请不要填写\"http://\",\"\\\",\"/\""));
    d.show();
    QCOMPARE(d.mmo1->toPlainText(), QStringLiteral("a.com\nb.com\nc.com"));
    d.mmo1->setPlainText("x.com");
    d.close();
    QCOMPARE(w.form->cbb1->count(), 3);
    d.show(); // each showing starts from the box again
    QCOMPARE(d.mmo1->toPlainText(), QStringLiteral("a.com\nb.com\nc.com"));
    d.close();
    QCOMPARE(w.form->store().domains(), (QStringList{"a.com", "b.com", "c.com"}));
}

void TestMainWindow::dialogSave_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("stored");
    QTest::newRow("reordered") << "c.com\na.com\n" << QStringList{"c.com", "a.com"};
    QTest::newRow("duplicate lines")
        << "x.com\ny.com\nX.COM\nx.com" << QStringList{"x.com", "y.com"};
    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("blank line kept") << "a.com\n\nb.com" << QStringList{"a.com", "", "b.com"};
}

void TestMainWindow::dialogSave()
{
    QFETCH(QString, text);
    QFETCH(QStringList, stored);
    WindowFixture w(fillThree);
    QVERIFY(w.create());
    TForm2 &d = *w.dialog;
    d.show();
    d.mmo1->setPlainText(text);
    d.btn1->click();
    QVERIFY(!d.isVisible());
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QStringList items;
    for (int i = 0; i < w.form->cbb1->count(); ++i)
        items << w.form->cbb1->itemText(i);
    QCOMPARE(items, stored);
    QCOMPARE(w.form->store().domains(), stored);
    QVERIFY(w.messages.isEmpty());
}

void TestMainWindow::dialogSaveFailureKeepsList()
{
    WindowFixture w(fillThree);
    {
        // The engine refuses one domain: the save fails after the old list
        // was deleted and the first line added.
        SqlDatabase db(w.files.path());
        db.setKey(ResultStore::password());
        db.execute("create trigger refuse before insert on domain when new.domain = 'bad.com'"
                   " begin select raise(abort, 'refused by the engine'); end;");
    }
    QVERIFY(w.create());
    TForm2 &d = *w.dialog;
    d.show();
    d.mmo1->setPlainText("new.com\nbad.com\nother.com");
    d.btn1->click();
    QCOMPARE(w.messages, QStringList{"refused by the engine"});
    QVERIFY(d.isVisible()); // the dialog stays open
    QCOMPARE(w.form->cbb1->count(), 3);
    QCOMPARE(w.form->store().domains(), (QStringList{"a.com", "b.com", "c.com"}));
    d.close();
}

namespace {

// Reads a value out of the banner's top-level page.
QString pageValue(BannerPane *pane, const QString &script)
{
    QString value;
    bool done = false;
    pane->page()->runJavaScript(script, [&](const QVariant &v) {
        value = v.toString();
        done = true;
    });
    QDeadlineTimer deadline(10000);
    while (!done && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done ? value : QStringLiteral("(no answer)");
}

} // namespace

void TestMainWindow::bannerSitsFlush()
{
    // A page with a margin, a border and more than 72 pixels of content,
    // which later puts its margin back and adds a frame: the frame's load
    // applies the adjustments again.
    const QByteArray page =
        "<html><head><style>body{margin:12px;border:3px solid red}</style></head>"
        "<body><div style='height:400px'>banner</div>"
        "<iframe src='/frame1.html' width=50 height=20></iframe>"
        "<script>setTimeout(function(){ document.body.style.margin='20px';"
        " var f=document.createElement('iframe'); f.src='/frame2.html';"
        " document.body.appendChild(f); }, 300);</script></body></html>";
    LoopbackServer server([&](LoopbackServer::Connection &c) {
        if (c.request().requestLine.startsWith("GET /softad/Shoulu.html?baidu "))
            c.respond(page, "200 OK", "Content-Type: text/html\r\n");
        else
            c.respond("<html><body>frame</body></html>", "200 OK", "Content-Type: text/html\r\n");
    });
    StoreFixture files;
    files.store.reset();
    TForm1::Options options;
    options.storePath = files.path();
    options.bannerUrl = QUrl("http://" + server.address() + "/softad/Shoulu.html?baidu");
    TForm1 form(options);
    QVERIFY(form.FormCreate());
    form.show();
    auto frame2Requested = [&] {
        for (const auto &r : server.requests()) {
            if (r.requestLine.contains("/frame2.html"))
                return true;
        }
        return false;
    };
    QTRY_VERIFY_WITH_TIMEOUT(frame2Requested(), 15000);
    QTRY_COMPARE_WITH_TIMEOUT(pageValue(form.WebBrowser1, "document.body.style.margin"),
                              QStringLiteral("0px"), 10000);
    QCOMPARE(pageValue(form.WebBrowser1, "document.body.getAttribute('scroll')"),
             QStringLiteral("no"));
    QCOMPARE(pageValue(form.WebBrowser1, "document.body.style.borderWidth"), QStringLiteral("0px"));
    QCOMPARE(pageValue(form.WebBrowser1, "document.documentElement.style.overflow"),
             QStringLiteral("hidden"));
    QCOMPARE(form.WebBrowser1->height(), 72);
}

void TestMainWindow::bannerStaysABanner()
{
    // A service on this machine that the banner must not reach.
    LoopbackServer local([](LoopbackServer::Connection &c) { c.respond("secret"); });
    const QByteArray localUrl = "http://localhost:" + QByteArray::number(local.port());
    const QByteArray page = "<html><body>banner<script>"
                            "fetch('" +
                            localUrl +
                            "/ping').catch(function(){});"
                            "var i = new Image(); i.src = '" +
                            localUrl +
                            "/img';"
                            "setTimeout(function(){ window.open('http://away.example/new');"
                            " location.href = 'http://away.example/moved'; }, 300);"
                            "</script></body></html>";
    LoopbackServer server([&](LoopbackServer::Connection &c) {
        c.respond(page, "200 OK", "Content-Type: text/html\r\n");
    });
    StoreFixture files;
    files.store.reset();
    TForm1::Options options;
    options.storePath = files.path();
    options.bannerUrl = QUrl("http://" + server.address() + "/softad/Shoulu.html?baidu");
    TForm1 form(options);
    QList<QUrl> opened;
    form.WebBrowser1->bannerPage()->setOpener([&opened](const QUrl &url) { opened << url; });
    QVERIFY(form.FormCreate());
    form.show();
    QTRY_VERIFY_WITH_TIMEOUT(opened.contains(QUrl("http://away.example/moved")), 15000);
    QTest::qWait(500);
    QCOMPARE(form.WebBrowser1->url(), options.bannerUrl); // still the banner
    QCOMPARE(pageValue(form.WebBrowser1, "document.body.firstChild.textContent"),
             QStringLiteral("banner"));
    QCOMPARE(local.connections(), 0);
    const QWidgetList windows = QApplication::topLevelWidgets();
    // No browser window of its own came up.
    QVERIFY(std::none_of(windows.begin(), windows.end(), [](QWidget *w) {
        return w->isVisible() && qobject_cast<QWebEngineView *>(w);
    }));
}

void TestMainWindow::bannerGuardRefusesLocalAddresses_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("refused");
    QTest::newRow("banner host") << "http://127.0.0.1:8080/x" << false;
    QTest::newRow("public host") << "https://www.example.com/a.png" << false;
    QTest::newRow("public address") << "http://93.184.216.34/" << false;
    QTest::newRow("localhost") << "http://localhost:631/" << true;
    QTest::newRow("sub.localhost") << "http://admin.localhost/" << true;
    QTest::newRow("other loopback") << "http://127.0.0.2/" << true;
    QTest::newRow("ipv6 loopback") << "http://[::1]:8080/" << true;
    QTest::newRow("10/8") << "http://10.0.0.1/" << true;
    QTest::newRow("172.16/12") << "http://172.20.1.1/" << true;
    QTest::newRow("192.168/16") << "http://192.168.1.1/router" << true;
    QTest::newRow("link-local") << "http://169.254.169.254/latest" << true;
    QTest::newRow("unspecified") << "http://0.0.0.0:9000/" << true;
    QTest::newRow("ipv6 unique local") << "http://[fd12:3456::1]/" << true;
    QTest::newRow("next to 172.16/12") << "http://172.32.0.1/" << false;
}

void TestMainWindow::bannerGuardRefusesLocalAddresses()
{
    QFETCH(QString, url);
    QFETCH(bool, refused);
    BannerRequestGuard guard;
    guard.setAllowedHost("127.0.0.1");
    QCOMPARE(guard.refuses(QUrl(url)), refused);
}

void TestMainWindow::bannerFailureAffectsNothing()
{
    StoreFixture files;
    files.store.reset();
    QStringList messages;
    toolkit::setMessageSink([&](const QString &text) { messages << text; });
    TForm1::Options options;
    options.storePath = files.path();
    options.bannerUrl = QUrl("http://127.0.0.1:" + QString::number(closedPort()) + "/x");
    TForm1 form(options);
    QVERIFY(form.FormCreate());
    bool finished = false;
    connect(form.WebBrowser1, &QWebEngineView::loadFinished, [&](bool) { finished = true; });
    QTRY_VERIFY_WITH_TIMEOUT(finished, 15000);
    QTest::qWait(200);
    toolkit::setMessageSink({});
    QVERIFY(messages.isEmpty());
    form.LoadShoulu(QString()); // the window works as before
}

int main(int argc, char **argv)
{
    prepareBrowserEngine();
    toolkit::TApplication app(argc, argv);
    TestMainWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainwindow.moc"
