#include "NoticeStrip.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace {

QPushButton *makeButton(const QString &caption, const QString &tip, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setToolTip(tip);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

NoticeStrip::NoticeStrip(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("noticeStrip"));
    setAutoFillBackground(true);
    setStyleSheet(QStringLiteral("#noticeStrip { background: #fff8e1; border-bottom: 1px solid "
                                 "#e0c068; } QLabel { color: #333; font-size: 13px; }"));
    m_text = new QLabel(this);
    m_text->setWordWrap(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_stop = makeButton(QStringLiteral("停止"), QStringLiteral("不再开始新的域名（Esc）"), this);
    m_resume = makeButton(QStringLiteral("继续"),
                          QStringLiteral("完成验证后，从下一个域名接着查询"), this);
    m_retry = makeButton(QStringLiteral("重查未取得的"),
                         QStringLiteral("重新查询最新结果中有未取得项的域名"), this);
    m_close = makeButton(QStringLiteral("关闭"), QStringLiteral("关闭这条提示"), this);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 6, 12, 6);
    layout->addWidget(m_text, 1);
    for (QPushButton *b : {m_stop, m_resume, m_retry, m_close})
        layout->addWidget(b);
    connect(m_stop, &QPushButton::clicked, this, &NoticeStrip::stopClicked);
    connect(m_resume, &QPushButton::clicked, this, &NoticeStrip::resumeClicked);
    connect(m_retry, &QPushButton::clicked, this, &NoticeStrip::retryClicked);
    connect(m_close, &QPushButton::clicked, this, &QWidget::hide);
    hide();
}

void NoticeStrip::present(const QString &text, bool stop, bool resume, bool retry, bool close)
{
    m_text->setText(text);
    m_stop->setVisible(stop);
    m_resume->setVisible(resume);
    m_retry->setVisible(retry);
    m_close->setVisible(close);
    show();
    raise();
}

void NoticeStrip::showProgress(const QString &text)
{
    present(text, true, false, false, false);
}

void NoticeStrip::showPaused(const QString &text)
{
    present(text, true, true, false, false);
}

void NoticeStrip::showResult(const QString &text, bool retryable)
{
    present(text, false, false, retryable, true);
}

void NoticeStrip::showNotice(const QString &text)
{
    present(text, false, false, false, true);
}

QString NoticeStrip::text() const
{
    return m_text->text();
}
