#include "support/page/test_page.h"

#include "interfaces/htmlwindowevents.h"
#include "interfaces/ihtmldocument2.h"

namespace quillbrook::testing {

namespace {

class TestDocument final : public IHTMLDocument2 {
public:
    explicit TestDocument(std::shared_ptr<TestPage> page) : page_(std::move(page)) {}

    HRESULT get_title(QString* p) override { return answer(page_->failures.title, page_->title(), p); }
    HRESULT get_URL(QString* p) override { return answer(page_->failures.URL, page_->URL(), p); }
    HRESULT get_parentWindow(std::shared_ptr<Dispatchable>* p) override
    {
        return answer(page_->failures.parentWindow, page_->window(), p);
    }

private:
    template <class T>
    HRESULT answer(HRESULT memberFailure, const T& value, T* p) const
    {
        if (const HRESULT hr = page_->failure(memberFailure); FAILED(hr))
            return hr;
        *p = value;
        return S_OK;
    }

    std::shared_ptr<TestPage> page_;
};

// The knob `member` of a page that may be gone; a page nobody holds any more has no knobs.
HRESULT pageFailure(const std::weak_ptr<TestPage>& page, HRESULT PageFailures::*member)
{
    const auto held = page.lock();
    return held ? held->failure(held->failures.*member) : S_OK;
}

// The window's connection point for HTMLWindowEvents, with the page's knobs in front of it. It
// holds the page weakly: the page holds the window.
class WindowEventsPoint final : public ConnectionPoint {
public:
    explicit WindowEventsPoint(std::weak_ptr<TestPage> page)
        : ConnectionPoint(DIID_HTMLWindowEvents), page_(std::move(page))
    {}

    HRESULT Advise(const std::shared_ptr<Dispatchable>& pUnkSink, std::int32_t* pdwCookie) override
    {
        if (const HRESULT hr = pageFailure(page_, &PageFailures::advise); FAILED(hr)) {
            if (pdwCookie)
                *pdwCookie = 0;
            return hr;
        }
        if (const auto page = page_.lock(); page && page->beforeAdvise)
            page->beforeAdvise();
        return ConnectionPoint::Advise(pUnkSink, pdwCookie);
    }

    HRESULT Unadvise(std::int32_t dwCookie) override
    {
        if (const HRESULT hr = pageFailure(page_, &PageFailures::unadvise); FAILED(hr))
            return hr;
        return ConnectionPoint::Unadvise(dwCookie);
    }

private:
    std::weak_ptr<TestPage> page_;
};

} // namespace

class TestWindow final : public IConnectionPointContainer {
public:
    explicit TestWindow(std::weak_ptr<TestPage> page)
        : page_(page), events_(std::make_shared<WindowEventsPoint>(std::move(page)))
    {}

    HRESULT FindConnectionPoint(const Guid& riid, std::shared_ptr<Dispatchable>* ppCP) override
    {
        if (!ppCP)
            return E_POINTER;
        *ppCP = nullptr;
        if (const HRESULT hr = pageFailure(page_, &PageFailures::findConnectionPoint); FAILED(hr))
            return hr;
        if (riid != events_->eventsInterface())
            return CONNECT_E_NOCONNECTION;
        *ppCP = events_;
        return S_OK;
    }

    ConnectionPoint& events() const { return *events_; }

private:
    std::weak_ptr<TestPage> page_;
    std::shared_ptr<WindowEventsPoint> events_;
};

TestPage::TestPage(OnlyThroughCreate, QString title, QString url) : title_(std::move(title)), url_(std::move(url)) {}

std::shared_ptr<TestPage> TestPage::create(QString title, QString url)
{
    auto page = std::make_shared<TestPage>(OnlyThroughCreate{}, std::move(title), std::move(url));
    page->window_ = std::make_shared<TestWindow>(page);
    return page;
}

std::shared_ptr<Dispatchable> TestPage::document()
{
    std::shared_ptr<Dispatchable> document = document_.lock();
    if (!document) {
        document = std::make_shared<TestDocument>(shared_from_this());
        document_ = document;
    }
    return document;
}

std::shared_ptr<Dispatchable> TestPage::window()
{
    return window_;
}

std::shared_ptr<TestForm> TestPage::addForm(QString name)
{
    return std::make_shared<TestForm>(shared_from_this(), std::move(name));
}

std::shared_ptr<TestTextBox> TestPage::addTextArea(QString name, std::shared_ptr<TestForm> form, QString value)
{
    return std::make_shared<TestTextBox>(shared_from_this(), TestTextBox::Kind::TextArea, std::move(name),
                                         std::move(form), std::move(value));
}

std::shared_ptr<TestTextBox> TestPage::addTextInput(QString name, std::shared_ptr<TestForm> form, QString value)
{
    return std::make_shared<TestTextBox>(shared_from_this(), TestTextBox::Kind::TextInput, std::move(name),
                                         std::move(form), std::move(value));
}

std::shared_ptr<TestElement> TestPage::addElement()
{
    return std::make_shared<TestElement>(shared_from_this());
}

void TestPage::fireBeforeUnload()
{
    window_->events().fire(DISPID_HTMLWINDOWEVENTS_ONBEFOREUNLOAD);
}

void TestPage::fireUnload()
{
    window_->events().fire(DISPID_HTMLWINDOWEVENTS_ONUNLOAD);
}

void TestPage::close()
{
    fireBeforeUnload();
    fireUnload();
    window_->events().unadviseAll();
}

std::size_t TestPage::advisedSinkCount() const
{
    return window_->events().sinkCount();
}

} // namespace quillbrook::testing
