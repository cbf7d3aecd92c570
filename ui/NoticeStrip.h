#pragma once

#include <QFrame>

class QLabel;
class QPushButton;

// A strip over the banner band that tells how a batch goes, why it waits
// and how it ended, with the buttons that steer it. Hidden when it has
// nothing to say; the banner shows through then.
class NoticeStrip : public QFrame
{
    Q_OBJECT
public:
    explicit NoticeStrip(QWidget *parent = nullptr);

    // A batch under way: text and "停止".
    void showProgress(const QString &text);
    // Waiting for the user: text, "继续" and "停止".
    void showPaused(const QString &text);
    // A run has ended: text, "重查未取得的" when there is something to
    // retry, and "关闭".
    void showResult(const QString &text, bool retryable);
    // A plain notice with "关闭".
    void showNotice(const QString &text);

    QString text() const;
    QPushButton *stopButton() const { return m_stop; }
    QPushButton *resumeButton() const { return m_resume; }
    QPushButton *retryButton() const { return m_retry; }
    QPushButton *closeButton() const { return m_close; }

signals:
    void stopClicked();
    void resumeClicked();
    void retryClicked();

private:
    void present(const QString &text, bool stop, bool resume, bool retry, bool close);

    QLabel *m_text = nullptr;
    QPushButton *m_stop = nullptr;
    QPushButton *m_resume = nullptr;
    QPushButton *m_retry = nullptr;
    QPushButton *m_close = nullptr;
};
