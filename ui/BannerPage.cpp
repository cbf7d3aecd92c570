#include "BannerPage.h"

#include <QDesktopServices>
#include <QHostAddress>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineSettings>

BannerPage::BannerPage(QObject *parent) : QWebEnginePage(parent)
{
    // Banners need scripts; nothing else of what a browser may do.
    QWebEngineSettings *s = settings();
    s->setAttribute(QWebEngineSettings::JavascriptEnabled, true);
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanPaste, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    s->setAttribute(QWebEngineSettings::LocalStorageEnabled, false);
    s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    s->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    s->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, false);
    s->setAttribute(QWebEngineSettings::ScreenCaptureEnabled, false);
    s->setAttribute(QWebEngineSettings::AllowWindowActivationFromJavaScript, false);
    s->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);

    auto *guard = new BannerRequestGuard(this); // goes with the page
    setUrlRequestInterceptor(guard);
    m_opener = [](const QUrl &url) { QDesktopServices::openUrl(url); };

    connect(this, &QWebEnginePage::newWindowRequested, this,
            [this](QWebEngineNewWindowRequest &request) { open(request.requestedUrl()); });
    connect(this, &QWebEnginePage::loadFinished, this, [this](bool) { m_ownLoad = false; });
    // Permissions (camera, location, notifications …) are never granted.
    connect(this, &QWebEnginePage::featurePermissionRequested, this,
            [this](const QUrl &origin, Feature feature) {
                setFeaturePermission(origin, feature, PermissionDeniedByUser);
            });
}

void BannerPage::setBannerUrl(const QUrl &url)
{
    if (auto *guard = findChild<BannerRequestGuard *>())
        guard->setAllowedHost(url.host());
}

bool BannerPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    if (!isMainFrame)
        return true; // the banner's own frames; the guard still checks addresses
    if (type == NavigationTypeTyped || type == NavigationTypeReload) {
        m_ownLoad = true; // the program's own load
        return true;
    }
    if (type == NavigationTypeRedirect && m_ownLoad)
        return true; // the banner's server sends it on
    open(url);
    return false;
}

void BannerPage::open(const QUrl &url)
{
    const QString scheme = url.scheme();
    if (m_opener && url.isValid() && (scheme == u"http" || scheme == u"https"))
        m_opener(url);
}

bool BannerRequestGuard::refuses(const QUrl &url) const
{
    const QString host = url.host().toLower();
    if (host.isEmpty() || host == m_allowedHost.toLower())
        return false;
    if (host == u"localhost" || host.endsWith(u".localhost"))
        return true;
    const QHostAddress address(host);
    if (address.isNull())
        return false; // a name: the engine resolves it, as any browser does
    // Qt counts the private networks as global; they are this site's own.
    static const char *const Private[] = {"10.0.0.0/8", "172.16.0.0/12", "192.168.0.0/16",
                                          "100.64.0.0/10", "fc00::/7"};
    for (const char *subnet : Private) {
        if (address.isInSubnet(QHostAddress::parseSubnet(QLatin1String(subnet))))
            return true;
    }
    // Loopback, link-local, unspecified and the like.
    return !address.isGlobal();
}

void BannerRequestGuard::interceptRequest(QWebEngineUrlRequestInfo &info)
{
    if (refuses(info.requestUrl()))
        info.block(true);
}
