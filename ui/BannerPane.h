#pragma once

#include <QUrl>
#include <QWebEngineView>

class BannerPage;

// The maker's banner page in a 72-pixel strip. After every document that
// finishes loading (the page, and each frame in it) the top-level page is
// made to sit flush: no scroll bars, no margin, no border.
class BannerPane : public QWebEngineView
{
    Q_OBJECT
public:
    static constexpr int Height = 72;

    explicit BannerPane(QWidget *parent = nullptr);

    // The three adjustments, on the top-level document's body. Runs in the
    // page; a page without a body is left alone and nothing comes back.
    void applyFlushLayout();

    // Loads the banner; the page stays on it (see BannerPage).
    void showBanner(const QUrl &url);
    BannerPage *bannerPage() const { return m_page; }

private:
    BannerPage *m_page = nullptr;

signals:
    // A document of the pane has finished loading.
    void documentComplete();
};
