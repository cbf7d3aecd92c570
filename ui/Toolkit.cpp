#include "Toolkit.h"

#include <QMessageBox>
#include <QPushButton>

namespace toolkit {
namespace {
MessageSink &sink()
{
    static MessageSink current;
    return current;
}
} // namespace

void showMessage(const QString &text)
{
    if (sink()) {
        sink()(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, ApplicationTitle, text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

void showMessage(const QString &text, const QString &detail)
{
    if (sink()) {
        sink()(text + u'\n' + detail);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, ApplicationTitle, text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setInformativeText(detail);
    box.exec();
}

MessageSink setMessageSink(MessageSink newSink)
{
    return std::exchange(sink(), std::move(newSink));
}

namespace {
QuestionSink &questionSink()
{
    static QuestionSink current;
    return current;
}
} // namespace

int ask(const QString &text, const QStringList &buttons)
{
    if (questionSink())
        return questionSink()(text, buttons);
    QMessageBox box(QMessageBox::Question, ApplicationTitle, text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    QList<QPushButton *> made;
    for (const QString &caption : buttons)
        made << box.addButton(caption, QMessageBox::AcceptRole);
    if (!made.isEmpty())
        box.setEscapeButton(made.last());
    box.exec();
    const qsizetype chosen = made.indexOf(box.clickedButton());
    return chosen >= 0 ? int(chosen) : int(buttons.size()) - 1;
}

QuestionSink setQuestionSink(QuestionSink newSink)
{
    return std::exchange(questionSink(), std::move(newSink));
}

QString failureText(const std::exception_ptr &failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception &e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Unknown failure");
    }
}

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(ApplicationTitle);
    setApplicationDisplayName(ApplicationTitle);
}

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        showMessage(failureText(std::current_exception()));
        return false;
    }
}

} // namespace toolkit
