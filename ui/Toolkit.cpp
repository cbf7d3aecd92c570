#include "Toolkit.h"

#include <QMessageBox>

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

MessageSink setMessageSink(MessageSink newSink)
{
    return std::exchange(sink(), std::move(newSink));
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
