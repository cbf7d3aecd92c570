#pragma once

#include <QByteArray>
#include <QObject>

#include <functional>

// Handlers bound to an object; an empty one is skipped.
using TOnProgressEvent = std::function<void(QObject *Sender, int TotalSize, int Readed)>;
using TOnDoneStringEvent = std::function<void(QObject *Sender, const QByteArray &Result)>;
using TNotifyEvent = std::function<void(QObject *Sender)>;
