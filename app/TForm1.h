#pragma once

#include "QueryRunner.h"
#include "QueryUrls.h"
#include "ShouluRow.h"

#include <QUrl>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>

class BannerPane;
class BatchLock;
class DomainCombo;
class HttpQueryFetcher;
class NoticeStrip;
class OverviewLoader;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableView;
class QTimer;
class ResultStore;
class ResultsModel;
class StoreHistory;
class TForm2;
class TrendChart;

// The main window: the query controls, the banner, the results list, the
// progress gauge and the trend chart with its status bar.
class TForm1 : public QWidget
{
    Q_OBJECT
public:
    static constexpr const char *MakerHost = "www.orvane.example";
    static QUrl bannerAddress();

    struct Options
    {
        QString storePath = QStringLiteral("setting.dat");
        QUrl bannerUrl = bannerAddress();
    };

    TForm1();
    explicit TForm1(Options options);
    ~TForm1() override;

    // Opens the store, fills the domain box, builds the URL list, shows the
    // grid and starts the banner. False when the store cannot be opened:
    // the user has been told ("文件不完整") and the program must end.
    bool FormCreate();

    // Controls, by the names the window has always had.
    QFrame *bspanel1 = nullptr;
    QLabel *lbl1 = nullptr;
    QComboBox *cbb1 = nullptr;
    QPushButton *bsSkinXFormButton1 = nullptr;
    QPushButton *bsSkinXFormButton2 = nullptr;
    QPushButton *bsSkinXFormButton3 = nullptr;
    QPushButton *btn2 = nullptr;
    QLabel *bsSkinStdLabel3 = nullptr;
    QSpinBox *bsSkinSpinEdit1 = nullptr;
    QLabel *bsSkinStdLabel2 = nullptr;
    QLabel *lbl2 = nullptr;
    BannerPane *WebBrowser1 = nullptr;
    QTableView *lv1 = nullptr;
    ResultsModel *lv1Rows = nullptr;
    QProgressBar *bskng1 = nullptr;
    QWidget *chartArea = nullptr;
    QFrame *bsSkinPanel1 = nullptr;
    std::array<QCheckBox *, 7> bsSkinCheckRadioBox{};
    TrendChart *Chart1 = nullptr;
    QFrame *bsSkinStatusBar1 = nullptr;
    QLabel *bsSkinStatusPanel1 = nullptr;
    QLabel *bsSkinStatusPanel2 = nullptr;
    QTimer *Timer1 = nullptr;
    TForm2 *Form2 = nullptr;
    // Over the banner band while a run has something to say.
    NoticeStrip *Notice = nullptr;

    ResultStore &store();
    std::optional<QueryUrls> Urls;
    std::unique_ptr<QueryRunner> Runner; // the run state and its steps
    const QueryRun &Run() const { return Runner->run(); }
    // The query requests still out; none once every answer is in.
    HttpQueryFetcher *fetcher() const { return m_fetcher.get(); }

    // Refills the domain box from the saved list.
    void loadDomain();
    // "重查未取得的": a batch over the listed domains whose latest row has
    // answers not obtained, in list order.
    void retryNotObtained();
    QStringList domainsNotObtained();

    // Figures out of the window.
    QString copyText() const; // the selected row (or all) as tab-separated text
    void copyRows();
    QString defaultCsvName() const;
    bool exportCsvTo(const QString &path); // false (and told) when it fails
    void exportCsv();                      // asks for the file
    QImage chartImage() const;             // the chart as shown, twice the pixels
    bool saveChartTo(const QString &path);
    void saveChart();
    void queryRow(int row);     // "查询此域名"
    void historyOfRow(int row); // "查看历史"

    // Views.
    void LoadShoulu(const QString &d);
    // LoadShoulu with the empty text, read in the background: what the
    // query runs use after each completed domain.
    void requestOverview();
    bool overviewPending() const;
    void updateChat(const QString &d);
    void updateChatline();

    // Handlers.
    void bsSkinXFormButton1Click();
    void bsSkinXFormButton2Click();
    void bsSkinXFormButton3Click();
    void btn2Click();
    void lv1SelectItem(int row, bool selected);
    void bsSkinCheckRadioBox1Click();
    void Timer1Timer();
    void WebBrowser1DocumentComplete();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    // Rows that could not be stored yet are not lost silently: the user
    // retries, discards them, or keeps the window open.
    void closeEvent(QCloseEvent *event) override;

private:
    void buildTopPanel();
    void buildChartArea();

    void connectRunner();
    void setToolTips();
    void showRunSummary(const QueryRunner::RunSummary &summary);
    static QString progressText(const QueryRunner::Progress &progress);
    void showListMenu(const QPoint &at);
    void showChartMenu(const QPoint &at);
    QString m_listDomain;  // the history the list shows; empty: the overview
    QString m_chartDomain; // the domain the chart shows

    Options m_options;
    std::unique_ptr<ResultStore> m_store;
    std::unique_ptr<OverviewLoader> m_overview;
    std::unique_ptr<DomainCombo> m_domainBox;
    std::unique_ptr<StoreHistory> m_history;
    std::unique_ptr<BatchLock> m_batchLock; // held while a batch runs
    bool lockBatch();
    // Goes before the runner: the requests it abandons answer nobody.
    std::unique_ptr<HttpQueryFetcher> m_fetcher;
    bool m_overviewFailureShown = false;
    bool m_failureShowing = false;
    void showRunFailure(const QString &text);
    void applyOverview(QList<ShouluRow> rows);
    bool m_centred = false;
};
