#include "BannerPane.h"

#include "BannerPage.h"

#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>

namespace {

// The browser ignores the body's "scroll" attribute; hiding the document
// element's overflow gives the effect it asks for.
const char *const FlushLayout = R"js(
(function () {
  var body = document.body;
  if (!body) return;
  body.setAttribute('scroll', 'no');
  body.style.margin = '0';
  body.style.borderWidth = '0';
  document.documentElement.style.overflow = 'hidden';
})();
)js";

} // namespace

BannerPane::BannerPane(QWidget *parent) : QWebEngineView(parent)
{
    setFixedHeight(Height);
    setContextMenuPolicy(Qt::NoContextMenu);
    m_page = new BannerPage(this); // released with the pane
    setPage(m_page);
    QWebEngineScript flush;
    flush.setName(QStringLiteral("flush-on-frame"));
    flush.setInjectionPoint(QWebEngineScript::DocumentCreation);
    flush.setWorldId(QWebEngineScript::ApplicationWorld);
    flush.setRunsOnSubFrames(false);
    // Frames finish after the page has started loading: inside the page,
    // each frame's load applies the adjustments to the top-level body again.
    flush.setSourceCode(QStringLiteral("document.addEventListener('load', function (e) {"
                                       " var t = e.target && e.target.tagName;"
                                       " if (t === 'IFRAME' || t === 'FRAME') {") +
                        QString::fromLatin1(FlushLayout) + QStringLiteral("} }, true);"));
    page()->scripts().insert(flush);
    connect(this, &QWebEngineView::loadFinished, this, [this](bool) { emit documentComplete(); });
}

void BannerPane::showBanner(const QUrl &url)
{
    m_page->setBannerUrl(url);
    load(url);
}

void BannerPane::applyFlushLayout()
{
    page()->runJavaScript(QString::fromLatin1(FlushLayout), QWebEngineScript::ApplicationWorld);
}
