#include "TForm2.h"

#include "DomainCombo.h"
#include "DomainList.h"
#include "ResultStore.h"
#include "Toolkit.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TForm2::TForm2(QComboBox &cbb1, std::function<ResultStore &()> store, QWidget *parent)
    : QDialog(parent), m_cbb1(cbb1), m_store(std::move(store))
{
    setWindowTitle(QStringLiteral("编辑待查询域名列表"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(true);
    resize(526, 312);

    mmo1 = new QPlainTextEdit(this);
    mmo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    mmo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mmo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    bspanel1 = new QFrame(this);
    bspanel1->setObjectName(QStringLiteral("bspanel1"));
    bspanel1->setFrameShape(QFrame::StyledPanel);
    bspanel1->setFixedHeight(72);
    bsSkinStdLabel1 =
        new QLabel(QStringLiteral("每行只能填写一个域名，WWW和不带WWW的查询结果不同。"), bspanel1);
    bsSkinStdLabel1->move(104, 8);
    lbl1 = new QLabel(QStringLiteral("请不要填写\"http://\",\"\\\",\"/\""), bspanel1);
    lbl1->move(104, 24);
    btn1 = new QPushButton(QStringLiteral("保存设置"), bspanel1);
    btn1->setGeometry(229, 40, 75, 25);
    btn1->setFocusPolicy(Qt::NoFocus);
    connect(btn1, &QPushButton::clicked, this, toolkit::handler([this](bool) { btn1Click(); }));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(mmo1, 1);
    layout->addWidget(bspanel1);
}

void TForm2::showEvent(QShowEvent *event)
{
    toolkit::guarded([this] { FormShow(); });
    QDialog::showEvent(event);
}

void TForm2::FormShow()
{
    mmo1->setPlainText(DomainCombo(m_cbb1).items().join(u'\n'));
}

QStringList TForm2::lines() const
{
    return domainLines(mmo1->toPlainText());
}

void TForm2::btn1Click()
{
    // All or nothing: a failure leaves the stored list, and the box, as
    // they were.
    ResultStore &store = m_store();
    store.replaceDomains(lines());
    DomainCombo(m_cbb1).load(store.domains());
    accept();
}
