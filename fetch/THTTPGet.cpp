#include "THTTPGet.h"

#include "THTTPGetThread.h"

#include <QCoreApplication>

THTTPGet::THTTPGet(QObject *owner) : QObject(owner) {}

THTTPGet::~THTTPGet()
{
    Abort();
    // The worker finishes on its own; its completion must not reach us.
    if (Worker)
        Worker->detach();
}

void THTTPGet::Fetch()
{
    if (Worker)
        return;
    // The worker releases itself after its completion has been delivered.
    Worker = new THTTPGetThread(AcceptTypes, Agent, URL, UserName, Password, PostQuery, Referer,
                                BinaryData, UseCache, OnProgress,
                                [this](THTTPGetThread *worker) { ThreadDone(worker); });
    if (WaitThread)
        QCoreApplication::processEvents();
}

void THTTPGet::Abort()
{
    if (!Worker)
        return;
    Worker->requestTermination();
    Worker->clearSucceeded();
}

void THTTPGet::ThreadDone(THTTPGetThread *Sender)
{
    m_succeeded = Sender->Succeeded();
    m_status = Sender->Status();
    m_finalUrl = Sender->FinalUrl();
    m_contentType = Sender->ContentType();
    m_failureReason = m_succeeded ? QString() : Sender->FailureReason();
    // Worker stays set while the event runs, so a Fetch from a handler is
    // refused.
    if (m_succeeded) {
        if (OnDoneString)
            OnDoneString(this, Sender->ResponseText());
    } else if (OnError) {
        OnError(this);
    }
    Worker = nullptr;
}
