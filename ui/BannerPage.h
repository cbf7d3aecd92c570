#pragma once

#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineUrlRequestInterceptor>

#include <functional>

// The banner's page: it shows the maker's page and nothing else. Where the
// page tries to go somewhere (a link, a script, a new window) the address
// is handed to the user's browser and the pane stays on the banner.
class BannerPage : public QWebEnginePage
{
    Q_OBJECT
public:
    using Opener = std::function<void(const QUrl &url)>;

    explicit BannerPage(QObject *parent = nullptr);

    // Where addresses the page wants to open go (the user's browser by
    // default).
    void setOpener(Opener opener) { m_opener = std::move(opener); }
    // The banner's own address: its host is the one local host the page
    // may reach.
    void setBannerUrl(const QUrl &url);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;

private:
    void open(const QUrl &url);

    Opener m_opener;
    bool m_ownLoad = false; // a load the program started is under way
};

// Refuses the banner's requests to this machine and to private networks:
// a remote page must not call services that trust local callers.
class BannerRequestGuard : public QWebEngineUrlRequestInterceptor
{
    Q_OBJECT
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    void setAllowedHost(const QString &host) { m_allowedHost = host; }
    void interceptRequest(QWebEngineUrlRequestInfo &info) override;
    // Whether a request to this address is refused.
    bool refuses(const QUrl &url) const;

private:
    QString m_allowedHost;
};
