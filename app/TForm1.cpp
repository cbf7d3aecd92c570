#include "TForm1.h"

#include "BannerPane.h"
#include "BatchLock.h"
#include "CsvWriter.h"
#include "DelaySpinBox.h"
#include "DomainCombo.h"
#include "HttpQueryFetcher.h"
#include "NoticeStrip.h"
#include "OverviewLoader.h"
#include "ResultCells.h"
#include "ResultStore.h"
#include "ResultsModel.h"
#include "StoreHistory.h"
#include "TForm2.h"
#include "Toolkit.h"
#include "TrendChart.h"

#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QCompleter>
#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QHeaderView>
#include <QImage>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QShortcut>
#include <QSpinBox>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QPushButton *makeButton(const QString &caption, QWidget *parent, QRect geometry)
{
    auto *button = new QPushButton(caption, parent);
    button->setGeometry(geometry);
    button->setFocusPolicy(Qt::NoFocus); // buttons never take the keyboard focus
    return button;
}

QLabel *makeLabel(const QString &text, QWidget *parent, QPoint at)
{
    auto *label = new QLabel(text, parent);
    label->move(at);
    label->adjustSize();
    return label;
}

const char *const CheckCaptions[7] = {"总收录",   "昨日收录", "一周收录", "一月收录",
                                      "一年收录", "百度外链", "首页位置"};
const int CheckLefts[7] = {21, 85, 165, 237, 317, 397, 477};
const int CheckWidths[7] = {76, 84, 76, 84, 76, 76, 76};
const int ColumnWidths[ResultsModel::ColumnCount] = {50, 0, 65, 60, 60, 60, 60, 60, 60, 65, 100};

} // namespace

QUrl TForm1::bannerAddress()
{
    return QUrl(QStringLiteral("http://") + QLatin1String(MakerHost) +
                QStringLiteral("/softad/Shoulu.html?baidu"));
}

TForm1::TForm1() : TForm1(Options{}) {}

TForm1::TForm1(Options options) : m_options(std::move(options))
{
    setWindowTitle(QStringLiteral("OrvaneTalvexaV1.0"));
    resize(802, 665);

    buildTopPanel();
    WebBrowser1 = new BannerPane(this);

    lv1Rows = new ResultsModel(this);
    lv1 = new QTableView(this);
    lv1->setModel(lv1Rows);
    lv1->setSelectionBehavior(QAbstractItemView::SelectRows);
    lv1->setSelectionMode(QAbstractItemView::SingleSelection);
    lv1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lv1->setWordWrap(false);
    lv1->setTextElideMode(Qt::ElideNone);
    lv1->setShowGrid(false); // switched on by FormCreate
    lv1->verticalHeader()->hide();
    lv1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    lv1->verticalHeader()->setDefaultSectionSize(22);
    lv1->verticalHeader()->setMinimumSectionSize(20);
    for (int c = 0; c < ResultsModel::ColumnCount; ++c) {
        if (ColumnWidths[c] > 0)
            lv1->horizontalHeader()->resizeSection(c, ColumnWidths[c]);
    }
    lv1->horizontalHeader()->setSectionResizeMode(ResultsModel::Domain, QHeaderView::Stretch);
    lv1->horizontalHeader()->setHighlightSections(false);
    connect(
        lv1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
        toolkit::handler([this](const QItemSelection &selected, const QItemSelection &deselected) {
            // One notification per row, the row that lost the selection first.
            for (const QModelIndex &index : deselected.indexes()) {
                if (index.column() == 0)
                    lv1SelectItem(index.row(), false);
            }
            for (const QModelIndex &index : selected.indexes()) {
                if (index.column() == 0)
                    lv1SelectItem(index.row(), true);
            }
        }));

    bskng1 = new QProgressBar(this);
    bskng1->setRange(0, 100);
    bskng1->setValue(0);
    bskng1->setTextVisible(false);
    bskng1->setFixedHeight(20);

    buildChartArea();

    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);
    Timer1->setTimerType(Qt::PreciseTimer); // launches delay + 1 seconds apart, not about

    connect(WebBrowser1, &BannerPane::documentComplete, this,
            toolkit::handler([this] { WebBrowser1DocumentComplete(); }));

    Notice = new NoticeStrip(this);
    WebBrowser1->installEventFilter(this);
    lv1->installEventFilter(this);
    // Esc stops a batch; Enter in the domain box queries it.
    auto *stop = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(stop, &QShortcut::activated, this, [this] {
        if (Runner)
            Runner->stopBatch();
    });
    connect(cbb1->lineEdit(), &QLineEdit::returnPressed, this,
            toolkit::handler([this] { bsSkinXFormButton1Click(); }));
    lv1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(lv1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { showListMenu(at); });
    Chart1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Chart1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { showChartMenu(at); });
    setToolTips();

    // Five bands; only the list takes up a change of the window's height.
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bspanel1);
    layout->addWidget(WebBrowser1);
    layout->addWidget(lv1, 1);
    layout->addWidget(bskng1);
    layout->addWidget(chartArea);
}

TForm1::~TForm1() = default;

void TForm1::buildTopPanel()
{
    bspanel1 = new QFrame(this);
    bspanel1->setObjectName(QStringLiteral("bspanel1"));
    bspanel1->setFrameShape(QFrame::StyledPanel);
    bspanel1->setFixedHeight(57);

    lbl1 = makeLabel(QStringLiteral("选择/输入域名"), bspanel1, {19, 15});
    cbb1 = new QComboBox(bspanel1);
    cbb1->setEditable(true);
    cbb1->setInsertPolicy(QComboBox::NoInsert);
    cbb1->setMaxVisibleItems(8);
    cbb1->setGeometry(104, 11, 273, 20);
    cbb1->completer()->setCompletionMode(QCompleter::InlineCompletion);
    cbb1->completer()->setCaseSensitivity(Qt::CaseInsensitive);

    bsSkinXFormButton1 = makeButton(QStringLiteral("查询"), bspanel1, {384, 10, 73, 22});
    bsSkinXFormButton2 = makeButton(QStringLiteral("批量查询"), bspanel1, {464, 10, 73, 22});
    bsSkinXFormButton3 = makeButton(QStringLiteral("历史记录"), bspanel1, {544, 10, 73, 22});
    btn2 = makeButton(QStringLiteral("域名列表"), bspanel1, {624, 10, 81, 21});
    connect(bsSkinXFormButton1, &QPushButton::clicked, this,
            toolkit::handler([this](bool) { bsSkinXFormButton1Click(); }));
    connect(bsSkinXFormButton2, &QPushButton::clicked, this,
            toolkit::handler([this](bool) { bsSkinXFormButton2Click(); }));
    connect(bsSkinXFormButton3, &QPushButton::clicked, this,
            toolkit::handler([this](bool) { bsSkinXFormButton3Click(); }));
    connect(btn2, &QPushButton::clicked, this, toolkit::handler([this](bool) { btn2Click(); }));

    bsSkinStdLabel3 = makeLabel(QStringLiteral("延时"), bspanel1, {716, 14});
    bsSkinSpinEdit1 = new DelaySpinBox(bspanel1);
    bsSkinSpinEdit1->setGeometry(744, 10, 35, 20);
    bsSkinSpinEdit1->setRange(1, 60);
    bsSkinSpinEdit1->setValue(2);
    bsSkinSpinEdit1->setSingleStep(1);
    bsSkinSpinEdit1->setButtonSymbols(QAbstractSpinBox::NoButtons);
    bsSkinStdLabel2 = makeLabel(QStringLiteral("秒"), bspanel1, {782, 14});

    lbl2 = new QLabel(QStringLiteral("注意：www.example.com和example.com查询结果不同，"
                                     "请不要输入http://和\"/\",\"\\\"。"),
                      bspanel1);
    lbl2->move(104, 36);
    lbl2->adjustSize(); // at least 377 wide; never cut short
    lbl2->resize(qMax(377, lbl2->width()), lbl2->height());
    lbl2->setStyleSheet(QStringLiteral("color: #8a4b08;"));
}

void TForm1::buildChartArea()
{
    chartArea = new QWidget(this);
    chartArea->setFixedHeight(261);

    bsSkinPanel1 = new QFrame(chartArea);
    bsSkinPanel1->setFixedHeight(29);
    for (int i = 0; i < 7; ++i) {
        auto *box = new QCheckBox(QString::fromUtf8(CheckCaptions[i]), bsSkinPanel1);
        box->setObjectName(QStringLiteral("bsSkinCheckRadioBox%1").arg(i + 1));
        box->setGeometry(CheckLefts[i], 3, CheckWidths[i], 25);
        box->setFocusPolicy(Qt::NoFocus);
        box->setChecked(i == 0);
        box->setVisible(i != 6);
        connect(box, &QCheckBox::clicked, this,
                toolkit::handler([this](bool) { bsSkinCheckRadioBox1Click(); }));
        bsSkinCheckRadioBox[i] = box;
    }

    Chart1 = new TrendChart(chartArea);

    bsSkinStatusBar1 = new QFrame(chartArea);
    bsSkinStatusBar1->setFixedHeight(21);
    // Panels at fixed places; what does not fit the window is cut off.
    bsSkinStatusPanel1 = new QLabel(bsSkinStatusBar1);
    bsSkinStatusPanel1->setGeometry(0, 0, 561, 21);
    bsSkinStatusPanel2 =
        new QLabel(QStringLiteral("Orvane 出品 · ") + QLatin1String(MakerHost), bsSkinStatusBar1);
    bsSkinStatusPanel2->setGeometry(561, 0, 384, 21);
    for (QLabel *panel : {bsSkinStatusPanel1, bsSkinStatusPanel2}) {
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        panel->setIndent(4);
    }

    auto *layout = new QVBoxLayout(chartArea);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bsSkinPanel1);
    layout->addWidget(Chart1, 1);
    layout->addWidget(bsSkinStatusBar1);
}

void TForm1::showEvent(QShowEvent *event)
{
    if (!m_centred && screen()) {
        m_centred = true;
        QRect frame = frameGeometry();
        frame.moveCenter(screen()->availableGeometry().center());
        move(frame.topLeft());
    }
    QWidget::showEvent(event);
}

ResultStore &TForm1::store()
{
    if (!m_store)
        throw StoreError("the store is not open");
    return *m_store;
}

bool TForm1::FormCreate()
{
    try {
        m_store = std::make_unique<ResultStore>(m_options.storePath);
    } catch (const StoreOpenError &) {
        // Nothing else can work without the store: tell the user and end,
        // leaving the file as it is.
        toolkit::showMessage(
            QStringLiteral("文件不完整"),
            QStringLiteral("打开的数据库文件：%1\n它不存在，或不是本程序的数据库。"
                           "要从一个空数据库开始，请在该文件夹中运行 talvexa-create-store "
                           "setting.dat（或用 scripts/run.sh 启动，它会自动创建）。")
                .arg(QFileInfo(m_options.storePath).absoluteFilePath()));
        return false;
    }
    m_store->setAutoCheckpoint(false); // the overview reader does it
    const QString writeProblem = m_store->writeProblem();
    if (!writeProblem.isEmpty()) {
        // A valid store that cannot take rows: it still shows its history.
        toolkit::showMessage(
            QStringLiteral("无法写入数据库文件 %1，查询结果将不能保存：%2")
                .arg(QFileInfo(m_options.storePath).absoluteFilePath(), writeProblem));
    }
    m_overview = std::make_unique<OverviewLoader>(
        m_options.storePath, [this](QList<ShouluRow> rows) { applyOverview(std::move(rows)); },
        [this](const QString &text) {
            // A broken store is reported once, not for every domain.
            if (!m_overviewFailureShown)
                toolkit::showMessage(text);
            m_overviewFailureShown = true;
        });
    m_domainBox = std::make_unique<DomainCombo>(*cbb1);
    loadDomain();
    Urls.emplace();
    m_history = std::make_unique<StoreHistory>(*m_store, [this] { requestOverview(); });
    m_batchLock = std::make_unique<BatchLock>(m_options.storePath);
    m_fetcher = std::make_unique<HttpQueryFetcher>();
    // Timer1 paces the runner's batches; the runner handles its ticks.
    Runner = std::make_unique<QueryRunner>(*m_domainBox, *m_fetcher, *m_history, *Urls, Timer1);
    connectRunner();
    lv1->setShowGrid(true);
    if (m_options.bannerUrl.isValid())
        WebBrowser1->showBanner(m_options.bannerUrl);
    return true;
}

void TForm1::connectRunner()
{
    QueryRunner *runner = Runner.get();
    runner->setDelay(bsSkinSpinEdit1->value());
    connect(bsSkinSpinEdit1, &QSpinBox::valueChanged, runner, &QueryRunner::setDelay);
    connect(runner, &QueryRunner::statusChanged, bsSkinStatusPanel1, &QLabel::setText);
    connect(runner, &QueryRunner::gaugeMaximumChanged, bskng1, &QProgressBar::setMaximum);
    connect(runner, &QueryRunner::gaugeValueChanged, bskng1, [this](int value) {
        bskng1->setValue(qBound(bskng1->minimum(), value, bskng1->maximum()));
    });
    connect(runner, &QueryRunner::failed, this, &TForm1::showRunFailure);
    // While a run is busy its buttons are shown unavailable.
    connect(runner, &QueryRunner::busyChanged, this, [this](bool busy) {
        bsSkinXFormButton1->setEnabled(!busy);
        bsSkinXFormButton2->setEnabled(!busy);
    });
    connect(runner, &QueryRunner::batchProgress, this,
            [this](const QueryRunner::Progress &p) { Notice->showProgress(progressText(p)); });
    connect(
        runner, &QueryRunner::pausedForVerification, this, [this](const QueryRunner::Progress &p) {
            Notice->showPaused(QStringLiteral("百度要求安全验证，批量查询已暂停（已开始 %1/%2）。"
                                              "在浏览器中打开百度完成验证后点“继续”，或点“停止”。")
                                   .arg(p.launched)
                                   .arg(p.total));
        });
    connect(runner, &QueryRunner::runFinished, this, &TForm1::showRunSummary);
    connect(runner, &QueryRunner::runFinished, this, [this] { m_batchLock->unlock(); });
    connect(Notice, &NoticeStrip::stopClicked, runner, &QueryRunner::stopBatch);
    connect(Notice, &NoticeStrip::resumeClicked, runner, &QueryRunner::resumeBatch);
    connect(Notice, &NoticeStrip::retryClicked, this,
            toolkit::handler([this] { retryNotObtained(); }));
}

void TForm1::showRunSummary(const QueryRunner::RunSummary &s)
{
    const int incomplete = s.stored - s.complete;
    const QString missing = QStringLiteral("被拦截 %1 项，查询失败 %2 项，无法识别 %3 项")
                                .arg(s.blocked)
                                .arg(s.failed)
                                .arg(s.unrecognised);
    if (!s.batch) {
        // A single query speaks up only when something was not obtained.
        if (incomplete > 0)
            Notice->showResult(QStringLiteral("查询完毕：%1 有未取得的结果（%2）")
                                   .arg(s.incompleteDomains.value(0), missing),
                               true);
        else
            Notice->hide();
        return;
    }
    QString text = (s.stopped ? QStringLiteral("批量查询已停止（已开始 %1/%2）：")
                              : QStringLiteral("批量查询完毕（%1/%2）："))
                       .arg(s.launched)
                       .arg(s.total);
    text += QStringLiteral("%1 个域名全部取得").arg(s.complete);
    if (incomplete > 0)
        text += QStringLiteral("，%1 个有未取得的结果（%2）").arg(incomplete).arg(missing);
    Notice->showResult(text + QStringLiteral("。"), incomplete > 0);
}

QStringList TForm1::domainsNotObtained()
{
    QStringList wanted;
    for (const ShouluRow &row : store().latestRows()) {
        if (!row.answers)
            continue;
        for (const AnswerRecord &a : *row.answers) {
            if (!outcome::obtained(a.outcome)) {
                wanted << row.domain;
                break;
            }
        }
    }
    QStringList domains;
    for (const QString &item : m_domainBox->items()) {
        if (wanted.contains(item, Qt::CaseInsensitive) &&
            !domains.contains(item, Qt::CaseInsensitive))
            domains << item;
    }
    return domains;
}

void TForm1::retryNotObtained()
{
    if (Run().Busy)
        return;
    const QStringList domains = domainsNotObtained();
    if (domains.isEmpty()) {
        Notice->showNotice(QStringLiteral("列表中没有未取得结果的域名。"));
        return;
    }
    if (lockBatch())
        Runner->startBatch(domains);
}

void TForm1::showListMenu(const QPoint &at)
{
    QMenu menu(this);
    const QModelIndex index = lv1->indexAt(at);
    menu.addAction(QStringLiteral("复制"), this, toolkit::handler([this] { copyRows(); }));
    menu.addAction(QStringLiteral("导出CSV…"), this, toolkit::handler([this] { exportCsv(); }));
    if (index.isValid()) {
        const int row = index.row();
        menu.addSeparator();
        QAction *query = menu.addAction(QStringLiteral("查询此域名"), this,
                                        toolkit::handler([this, row] { queryRow(row); }));
        query->setEnabled(!Run().Busy);
        menu.addAction(QStringLiteral("查看历史"), this,
                       toolkit::handler([this, row] { historyOfRow(row); }));
    }
    QAction *retry = menu.addAction(QStringLiteral("重查未取得的"), this,
                                    toolkit::handler([this] { retryNotObtained(); }));
    retry->setEnabled(!Run().Busy);
    menu.exec(lv1->viewport()->mapToGlobal(at));
}

void TForm1::showChartMenu(const QPoint &at)
{
    QMenu menu(this);
    menu.addAction(QStringLiteral("复制图片"), this,
                   toolkit::handler([this] { QApplication::clipboard()->setImage(chartImage()); }));
    menu.addAction(QStringLiteral("保存图片…"), this, toolkit::handler([this] { saveChart(); }));
    menu.exec(Chart1->mapToGlobal(at));
}

QString TForm1::copyText() const
{
    // The selected row, or every row shown, under the list's captions.
    QList<int> rows;
    for (const QModelIndex &index : lv1->selectionModel()->selectedRows())
        rows << index.row();
    if (rows.isEmpty()) {
        for (int r = 0; r < lv1Rows->rowCount(); ++r)
            rows << r;
    }
    QStringList lines;
    QStringList header;
    for (int c = 0; c < ResultsModel::ColumnCount; ++c)
        header << resultcells::caption(c);
    lines << header.join(u'\t');
    for (int r : std::as_const(rows)) {
        QStringList cells;
        for (int c = 0; c < ResultsModel::ColumnCount; ++c)
            cells << lv1Rows->index(r, c).data().toString();
        lines << cells.join(u'\t');
    }
    return lines.join(u'\n') + u'\n';
}

void TForm1::copyRows()
{
    QApplication::clipboard()->setText(copyText());
}

QString TForm1::defaultCsvName() const
{
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    return m_listDomain.isEmpty()
               ? QStringLiteral("talvexa-总览-%1.csv").arg(today)
               : QStringLiteral("talvexa-%1-历史-%2.csv").arg(m_listDomain, today);
}

bool TForm1::exportCsvTo(const QString &path)
{
    const QByteArray bytes = csv::resultsFile(lv1Rows->rows());
    // Beside the target and renamed into place: no partial file.
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    toolkit::showMessage(QStringLiteral("无法写入 %1：%2").arg(path, file.errorString()));
    return false;
}

void TForm1::exportCsv()
{
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("导出CSV"),
                                                      QDir::home().filePath(defaultCsvName()),
                                                      QStringLiteral("CSV 文件 (*.csv)"));
    if (!path.isEmpty())
        exportCsvTo(path);
}

QImage TForm1::chartImage() const
{
    // Twice the pixels on screen, so that it stays sharp in a document.
    QImage image(Chart1->size() * 2, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    Chart1->render(&painter);
    return image;
}

bool TForm1::saveChartTo(const QString &path)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && chartImage().save(&file, "PNG") && file.commit())
        return true;
    toolkit::showMessage(QStringLiteral("无法写入 %1：%2").arg(path, file.errorString()));
    return false;
}

void TForm1::saveChart()
{
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    const QString name = QStringLiteral("talvexa-%1-30日-%2.png").arg(m_chartDomain, today);
    const QString path =
        QFileDialog::getSaveFileName(this, QStringLiteral("保存图片"), QDir::home().filePath(name),
                                     QStringLiteral("PNG 图片 (*.png)"));
    if (!path.isEmpty())
        saveChartTo(path);
}

void TForm1::queryRow(int row)
{
    if (row < 0 || row >= lv1Rows->rows().size())
        return;
    cbb1->setEditText(lv1Rows->rows()[row].domain);
    bsSkinXFormButton1Click();
}

void TForm1::historyOfRow(int row)
{
    if (row < 0 || row >= lv1Rows->rows().size())
        return;
    cbb1->setEditText(lv1Rows->rows()[row].domain);
    bsSkinXFormButton3Click();
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    // The strip lies exactly over the banner band.
    if (watched == WebBrowser1 &&
        (event->type() == QEvent::Resize || event->type() == QEvent::Move))
        Notice->setGeometry(WebBrowser1->geometry());
    // Ctrl+C copies rows, not the one cell the view would copy.
    if (watched == lv1 && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->matches(QKeySequence::Copy)) {
        toolkit::guarded([this] { copyRows(); });
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TForm1::setToolTips()
{
    cbb1->setToolTip(QStringLiteral("要查询的域名；按回车开始查询。下拉列表是已保存的域名"));
    bsSkinXFormButton1->setToolTip(QStringLiteral("查询框中的域名（回车）"));
    bsSkinXFormButton2->setToolTip(QStringLiteral("按延时逐个查询列表中的所有域名"));
    bsSkinXFormButton3->setToolTip(QStringLiteral("列出框中域名每天的结果，并画出走势图"));
    btn2->setToolTip(QStringLiteral("编辑要批量查询的域名列表"));
    bsSkinSpinEdit1->setToolTip(QStringLiteral("批量查询时两个域名之间多等的秒数（1～60）"));
    lv1->setToolTip(QStringLiteral("查询结果；红色的数字未能取得，指向它可看原因"));
    bskng1->setToolTip(QStringLiteral("已返回的查询结果数"));
    for (int i = 0; i < 6; ++i)
        bsSkinCheckRadioBox[std::size_t(i)]->setToolTip(
            QStringLiteral("在走势图中显示或隐藏“%1”").arg(QString::fromUtf8(CheckCaptions[i])));
    WebBrowser1->setToolTip(QString());
}

namespace {

QString durationText(int seconds)
{
    if (seconds >= 3600)
        return QStringLiteral("%1小时%2分").arg(seconds / 3600).arg(seconds % 3600 / 60);
    if (seconds >= 60)
        return QStringLiteral("%1分%2秒").arg(seconds / 60).arg(seconds % 60);
    return QStringLiteral("%1秒").arg(seconds);
}

} // namespace

QString TForm1::progressText(const QueryRunner::Progress &p)
{
    QString text = QStringLiteral("批量查询 %1/%2：").arg(p.launched).arg(p.total) + p.domain;
    if (p.launched < p.total)
        text += QStringLiteral(" · 剩余约 ") + durationText(p.secondsLeft);
    return text;
}

void TForm1::showRunFailure(const QString &text)
{
    // One box at a time: answers keep coming while it is open, and a
    // failure meanwhile shows in the status line instead of a second box.
    if (m_failureShowing) {
        bsSkinStatusPanel1->setText(QString(text).replace(u'\n', u' '));
        return;
    }
    m_failureShowing = true;
    toolkit::showMessage(text);
    m_failureShowing = false;
}

void TForm1::closeEvent(QCloseEvent *event)
{
    while (Runner && Runner->unsavedRows() > 0) {
        const int choice = toolkit::ask(
            QStringLiteral("有 %1 条查询结果尚未存入数据库。现在重试存入，还是放弃这些结果？")
                .arg(Runner->unsavedRows()),
            {QStringLiteral("重试"), QStringLiteral("放弃"), QStringLiteral("取消")});
        if (choice == 0) {
            if (!Runner->retryUnsaved())
                continue;
        } else if (choice == 1) {
            Runner->discardUnsaved();
        } else {
            event->ignore();
            return;
        }
    }
    QWidget::closeEvent(event);
}

void TForm1::loadDomain()
{
    m_domainBox->load(store().domains());
}

void TForm1::LoadShoulu(const QString &d)
{
    try {
        lv1Rows->clear();
    } catch (...) {
        toolkit::showMessage(QStringLiteral("清空出错"));
    }
    QList<ShouluRow> rows = d.isEmpty() ? store().latestRows() : store().dayHistory(d);
    m_listDomain = d;
    if (rows.isEmpty())
        return;
    Chart1->clearPoints();
    lv1Rows->setRows(std::move(rows));
    if (!d.isEmpty())
        updateChat(d);
}

void TForm1::requestOverview()
{
    if (m_overview)
        m_overview->request();
}

bool TForm1::overviewPending() const
{
    return m_overview && m_overview->busy();
}

void TForm1::applyOverview(QList<ShouluRow> rows)
{
    m_overviewFailureShown = false;
    m_listDomain.clear();
    lv1Rows->clear();
    if (rows.isEmpty())
        return;
    Chart1->clearPoints();
    lv1Rows->setRows(std::move(rows));
}

void TForm1::updateChat(const QString &d)
{
    if (d.isEmpty())
        return;
    try {
        const QList<ShouluRow> rows = store().chartRows(d);
        if (!rows.isEmpty()) {
            Chart1->clearPoints();
            // Oldest day first, at x = 0.
            int i = 0;
            for (auto it = rows.crbegin(); it != rows.crend(); ++it)
                Chart1->appendPoint(i++, *it);
            Chart1->fitAxes();
        }
        Chart1->setTitleDomain(d);
        m_chartDomain = d;
        updateChatline();
    } catch (...) {
        // The chart is a view: a failure to refresh it is not reported.
    }
}

void TForm1::updateChatline()
{
    for (int p = 0; p < TrendChart::SeriesCount; ++p) {
        try {
            Chart1->setSeriesActive(p, bsSkinCheckRadioBox[p]->isChecked());
        } catch (...) {
        }
    }
}

void TForm1::bsSkinXFormButton1Click()
{
    if (Runner)
        Runner->bsSkinXFormButton1Click();
}

void TForm1::bsSkinXFormButton2Click()
{
    if (Runner && !Run().Busy && lockBatch())
        Runner->bsSkinXFormButton2Click();
}

bool TForm1::lockBatch()
{
    // One batch per store, window or command line.
    if (m_batchLock->tryLock())
        return true;
    Notice->showNotice(QStringLiteral("另一个批量查询（另一个窗口或命令行）正在使用这个数据库，"
                                      "请等它结束后再试。"));
    return false;
}

void TForm1::Timer1Timer()
{
    if (Runner)
        Runner->Timer1Timer();
}

void TForm1::bsSkinXFormButton3Click()
{
    LoadShoulu(cbb1->currentText());
}

void TForm1::btn2Click()
{
    if (Form2)
        Form2->exec();
}

void TForm1::lv1SelectItem(int row, bool)
{
    if (row >= 0 && row < lv1Rows->rows().size())
        updateChat(lv1Rows->rows()[row].domain);
}

void TForm1::bsSkinCheckRadioBox1Click()
{
    updateChatline();
}

void TForm1::WebBrowser1DocumentComplete()
{
    WebBrowser1->applyFlushLayout();
}
