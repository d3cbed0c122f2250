// An in-process page that stands in for the browser in tests: a document with a title and an
// address, a window that delivers unload events to advised sinks, forms, text areas, text inputs
// and other elements. Everything is reached through the page interfaces of src/interfaces, and an
// element's other interfaces through QueryInterface, as the system reaches the browser's page.
//
//   auto page = TestPage::create(QStringLiteral("Report"), QStringLiteral("http://example.test/post.cgi"));
//   auto box = page->addTextArea(QStringLiteral("body"), page->addForm(QStringLiteral("reply")));
//   service->Register(box->element());
//   page->close();
//
// Knobs make members fail: `page->failures`, `box->failures`, and goAway() for every member of
// the page at once. The page holds its window, and the window its sinks, until they unadvise or
// the page is closed; a sink that holds the page keeps both alive until then.
#pragma once

#include "automation/connection_point.h"
#include "support/page/test_elements.h"

#include <QString>
#include <cstddef>
#include <functional>
#include <memory>

namespace quillbrook::testing {

// Failures that the document's and the window's members answer instead of their values; S_OK
// answers normally.
struct PageFailures {
    HRESULT title = S_OK;
    HRESULT URL = S_OK;
    HRESULT parentWindow = S_OK;
    HRESULT findConnectionPoint = S_OK;
    HRESULT advise = S_OK;
    HRESULT unadvise = S_OK;
};

class TestWindow;

class TestPage : public std::enable_shared_from_this<TestPage> {
    struct OnlyThroughCreate {
        explicit OnlyThroughCreate() = default;
    };

public:
    // A null title: a page without a title string, as opposed to an empty title.
    static std::shared_ptr<TestPage> create(QString title, QString url);
    TestPage(OnlyThroughCreate, QString title, QString url);

    // Read at every get, so a test may change them at any time.
    void setTitle(QString title) { title_ = std::move(title); }
    void setURL(QString url) { url_ = std::move(url); }
    const QString& title() const { return title_; }
    const QString& URL() const { return url_; }

    PageFailures failures;
    // Called when a sink is advised on the window, before it is; a page over the bus answers
    // later than one in process, which a test can stand in for here.
    std::function<void()> beforeAdvise;

    // From now on every member of every object of this page answers `hr`, as calls into a page
    // that went away do.
    void goAway(HRESULT hr) { goneAway_ = hr; }
    // The gone-away result, else `memberFailure`.
    HRESULT failure(HRESULT memberFailure) const { return FAILED(goneAway_) ? goneAway_ : memberFailure; }

    // The page's document (IHTMLDocument2): the same object while anyone holds it.
    std::shared_ptr<Dispatchable> document();
    // The page's window (IConnectionPointContainer).
    std::shared_ptr<Dispatchable> window();

    // A null name: an element without a NAME. A null form: outside any form.
    std::shared_ptr<TestForm> addForm(QString name);
    std::shared_ptr<TestTextBox> addTextArea(QString name, std::shared_ptr<TestForm> form = nullptr,
                                             QString value = QString());
    std::shared_ptr<TestTextBox> addTextInput(QString name, std::shared_ptr<TestForm> form = nullptr,
                                              QString value = QString());
    // An element that is no text box (a DIV).
    std::shared_ptr<TestElement> addElement();

    // Deliver the window's events to the advised sinks, by the browser's DISPIDs.
    void fireBeforeUnload();
    void fireUnload();
    // What the browser does when the window closes: beforeunload, unload, then every sink dropped.
    void close();
    std::size_t advisedSinkCount() const;

private:
    QString title_;
    QString url_;
    HRESULT goneAway_ = S_OK;
    std::weak_ptr<Dispatchable> document_;
    std::shared_ptr<TestWindow> window_;
};

} // namespace quillbrook::testing
