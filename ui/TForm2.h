#pragma once

#include <QDialog>

#include <functional>

class QComboBox;
class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class ResultStore;

// The domain list dialog: the main window's domain box, one domain per
// line, saved to the store as a whole.
class TForm2 : public QDialog
{
    Q_OBJECT
public:
    // The dialog works on the main window's domain box and store.
    TForm2(QComboBox &cbb1, std::function<ResultStore &()> store, QWidget *parent = nullptr);

    QPlainTextEdit *mmo1 = nullptr;
    QFrame *bspanel1 = nullptr;
    QLabel *bsSkinStdLabel1 = nullptr;
    QLabel *lbl1 = nullptr;
    QPushButton *btn1 = nullptr;

    // Each showing starts from the domain box's items.
    void FormShow();
    // "保存设置": the lines become the stored list, all or nothing.
    void btn1Click();

    // The editor's lines; a line break after the last line adds none.
    QStringList lines() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QComboBox &m_cbb1;
    std::function<ResultStore &()> m_store;
};
