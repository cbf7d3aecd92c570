#pragma once

#include <QApplication>
#include <QString>
#include <QStringList>

#include <exception>
#include <functional>
#include <type_traits>
#include <utility>

// The layer over the widget toolkit: the application title, the system's
// message boxes, and the default report of a failure that escapes a
// handler.
namespace toolkit {

inline const QString ApplicationTitle = QStringLiteral("Talvexa");

// A plain message box with an OK button, captioned with the application
// title. Tests replace what shows it.
void showMessage(const QString &text);
// The same with a second paragraph that explains it; a sink receives both,
// a line break between them.
void showMessage(const QString &text, const QString &detail);
using MessageSink = std::function<void(const QString &text)>;
// Replaces the message box (an empty sink restores it); returns the old one.
MessageSink setMessageSink(MessageSink sink);

// A question with the given buttons, captioned with the application title;
// the index of the button chosen (the last one when the box is closed).
// Tests replace what asks it.
int ask(const QString &text, const QStringList &buttons);
using QuestionSink = std::function<int(const QString &text, const QStringList &buttons)>;
QuestionSink setQuestionSink(QuestionSink sink);

// The failure's own text, as the default error box shows it.
QString failureText(const std::exception_ptr &failure);

// Runs a handler; a failure that escapes it is shown in the default error
// box and goes no further, so that nothing unwinds through the event loop.
template <typename F> void guarded(F &&handler)
{
    try {
        std::forward<F>(handler)();
    } catch (...) {
        showMessage(failureText(std::current_exception()));
    }
}

// Wraps a handler for connecting to a signal; a handler that takes none of
// the signal's arguments is called without them. Argument lists the
// handler takes neither way (only ever tried by Qt's probing of the
// argument count) compile to nothing.
template <typename F> auto handler(F f)
{
    return [f = std::move(f)](auto &&...args) -> void {
        if constexpr (std::is_invocable_v<const F &, decltype(args)...>)
            guarded([&] { f(args...); });
        else if constexpr (std::is_invocable_v<const F &>)
            guarded([&] { f(); });
    };
}

// The application object: catches at event dispatch whatever a handler
// let through.
class TApplication : public QApplication
{
    Q_OBJECT
public:
    TApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};

} // namespace toolkit
