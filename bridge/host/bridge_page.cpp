#include "bridge/host/bridge_page.h"

#include "automation/connection_point.h"
#include "automation/facets.h"
#include "interfaces/htmlwindowevents.h"
#include "interfaces/ihtmldocument2.h"
#include "interfaces/ihtmlelement.h"
#include "interfaces/ihtmlformelement.h"
#include "interfaces/ihtmlinputtextelement.h"
#include "interfaces/ihtmltextareaelement.h"

namespace quillbrook::bridge {

namespace {

// A property get: `value` into the caller's out parameter.
template <class T>
[[nodiscard]] HRESULT answer(const T& value, T* p)
{
    if (!p)
        return E_POINTER;
    *p = value;
    return S_OK;
}

} // namespace

// What every object of one page shares.
struct PageState {
    const QString id;
    const ValueWriter writer;
    DocumentSnapshot document;
    bool gone = false;
};

class PageWindow final : public IConnectionPointContainer {
public:
    PageWindow() : events_(std::make_shared<ConnectionPoint>(DIID_HTMLWindowEvents)) {}

    [[nodiscard]] HRESULT FindConnectionPoint(const Guid& riid, std::shared_ptr<Dispatchable>* ppCP) override
    {
        if (!ppCP)
            return E_POINTER;
        *ppCP = nullptr;
        if (riid != events_->eventsInterface())
            return CONNECT_E_NOCONNECTION;
        *ppCP = events_;
        return S_OK;
    }

    ConnectionPoint& events() const { return *events_; }

private:
    std::shared_ptr<ConnectionPoint> events_;
};

class PageDocument final : public IHTMLDocument2 {
public:
    PageDocument(std::shared_ptr<PageState> state, std::shared_ptr<PageWindow> window)
        : state_(std::move(state)), window_(std::move(window))
    {}

    [[nodiscard]] HRESULT get_title(QString* p) override { return answer(state_->document.title, p); }
    [[nodiscard]] HRESULT get_URL(QString* p) override { return answer(state_->document.url, p); }
    [[nodiscard]] HRESULT get_parentWindow(std::shared_ptr<Dispatchable>* p) override
    {
        return answer(std::shared_ptr<Dispatchable>(window_), p);
    }

private:
    std::shared_ptr<PageState> state_;
    std::shared_ptr<PageWindow> window_;
};

namespace {

class ElementObject : public FacetedObject {
public:
    explicit ElementObject(std::shared_ptr<PageDocument> document) : document_(std::move(document)) {}

    [[nodiscard]] HRESULT readDocument(std::shared_ptr<Dispatchable>* p) const
    {
        return answer(std::shared_ptr<Dispatchable>(document_), p);
    }

protected:
    Guid canonicalInterface() const override { return IID_IHTMLElement; }
    std::shared_ptr<Dispatchable> createFacet(const Guid& iid) override;

private:
    std::shared_ptr<PageDocument> document_;
};

class ElementFacet final : public Facet<IHTMLElement, ElementObject> {
public:
    using Facet::Facet;
    [[nodiscard]] HRESULT get_document(std::shared_ptr<Dispatchable>* p) override { return state().readDocument(p); }
};

std::shared_ptr<Dispatchable> ElementObject::createFacet(const Guid& iid)
{
    if (iid == IID_IHTMLElement)
        return std::make_shared<ElementFacet>(sharedSelf<ElementObject>());
    return nullptr;
}

class FormObject final : public ElementObject {
public:
    FormObject(std::shared_ptr<PageDocument> document, QString name)
        : ElementObject(std::move(document)), name_(std::move(name))
    {}

    [[nodiscard]] HRESULT readName(QString* p) const { return answer(name_, p); }

protected:
    Guid canonicalInterface() const override { return IID_IHTMLFormElement; }
    std::shared_ptr<Dispatchable> createFacet(const Guid& iid) override;

private:
    QString name_;
};

class FormFacet final : public Facet<IHTMLFormElement, FormObject> {
public:
    using Facet::Facet;
    [[nodiscard]] HRESULT get_name(QString* p) override { return state().readName(p); }
};

std::shared_ptr<Dispatchable> FormObject::createFacet(const Guid& iid)
{
    if (iid == IID_IHTMLFormElement)
        return std::make_shared<FormFacet>(sharedSelf<FormObject>());
    return ElementObject::createFacet(iid);
}

} // namespace

// An element of the page: a text area, a text input or another element (IHTMLElement only).
class PageElement final : public ElementObject {
public:
    PageElement(std::shared_ptr<PageState> state, std::shared_ptr<PageDocument> document, ElementKind kind)
        : ElementObject(document), state_(std::move(state)), document_(std::move(document)), kind_(kind)
    {}

    ElementKind kind() const { return kind_; }

    void take(const ElementSnapshot& snapshot)
    {
        id_ = snapshot.id;
        value_ = snapshot.value;
        name_ = snapshot.name;
        form_ = snapshot.inForm ? std::make_shared<FormObject>(document_, snapshot.formName) : nullptr;
    }

    [[nodiscard]] HRESULT readValue(QString* p) const { return answer(value_, p); }
    [[nodiscard]] HRESULT readName(QString* p) const { return answer(name_, p); }
    [[nodiscard]] HRESULT readForm(std::shared_ptr<Dispatchable>* p) const
    {
        if (!p)
            return E_POINTER;
        *p = form_ ? form_->identity() : nullptr;
        return S_OK;
    }

    [[nodiscard]] HRESULT writeValue(const QString& value)
    {
        if (state_->gone)
            return E_PAGE_NOT_READY;
        state_->writer(state_->id, id_, value, {});
        value_ = value;
        return S_OK;
    }

    void writeValueConfirmed(const QString& value, WriteDone done)
    {
        if (state_->gone) {
            done(E_PAGE_NOT_READY);
            return;
        }
        state_->writer(state_->id, id_, value,
                       [self = std::weak_ptr(sharedSelf<PageElement>()), value, done = std::move(done)](HRESULT hr) {
                           if (const auto element = self.lock(); element && SUCCEEDED(hr))
                               element->value_ = value;
                           done(hr);
                       });
    }

protected:
    Guid canonicalInterface() const override
    {
        switch (kind_) {
        case ElementKind::TextArea: return IID_IHTMLTextAreaElement;
        case ElementKind::TextInput: return IID_IHTMLInputTextElement;
        case ElementKind::Other: break;
        }
        return IID_IHTMLElement;
    }
    std::shared_ptr<Dispatchable> createFacet(const Guid& iid) override;

private:
    std::shared_ptr<PageState> state_;
    std::shared_ptr<PageDocument> document_;
    ElementKind kind_;
    QString id_;
    QString value_;
    QString name_;
    std::shared_ptr<FormObject> form_;
};

namespace {

// IHTMLTextAreaElement and IHTMLInputTextElement have the same members.
template <class Interface>
class TextBoxFacet final : public Facet<Interface, PageElement>, public ConfirmedValueWriter {
public:
    using Facet<Interface, PageElement>::Facet;
    [[nodiscard]] HRESULT get_value(QString* p) override { return this->state().readValue(p); }
    [[nodiscard]] HRESULT put_value(const QString& v) override { return this->state().writeValue(v); }
    void putValueConfirmed(const QString& v, WriteDone done) override
    {
        this->state().writeValueConfirmed(v, std::move(done));
    }
    [[nodiscard]] HRESULT get_name(QString* p) override { return this->state().readName(p); }
    [[nodiscard]] HRESULT get_form(std::shared_ptr<Dispatchable>* p) override { return this->state().readForm(p); }
};

} // namespace

std::shared_ptr<Dispatchable> PageElement::createFacet(const Guid& iid)
{
    if (kind_ == ElementKind::TextArea && iid == IID_IHTMLTextAreaElement)
        return std::make_shared<TextBoxFacet<IHTMLTextAreaElement>>(sharedSelf<PageElement>());
    if (kind_ == ElementKind::TextInput && iid == IID_IHTMLInputTextElement)
        return std::make_shared<TextBoxFacet<IHTMLInputTextElement>>(sharedSelf<PageElement>());
    return ElementObject::createFacet(iid);
}

BridgePage::BridgePage(QString id, ValueWriter writer)
    : state_(std::make_shared<PageState>(PageState{std::move(id), std::move(writer), {}, false})),
      window_(std::make_shared<PageWindow>()), document_(std::make_shared<PageDocument>(state_, window_))
{}

BridgePage::~BridgePage() = default;

const QString& BridgePage::id() const
{
    return state_->id;
}

std::shared_ptr<Dispatchable> BridgePage::element(const DocumentSnapshot& document, const ElementSnapshot& snapshot)
{
    state_->document = document;
    auto& element = elements_[snapshot.id];
    if (!element || element->kind() != snapshot.kind)
        element = std::make_shared<PageElement>(state_, document_, snapshot.kind);
    element->take(snapshot);
    return element->identity();
}

std::shared_ptr<Dispatchable> BridgePage::document() const
{
    return document_;
}

std::shared_ptr<Dispatchable> BridgePage::window() const
{
    return window_;
}

void BridgePage::unload()
{
    if (state_->gone)
        return;
    state_->gone = true;
    ConnectionPoint& events = window_->events();
    events.fire(DISPID_HTMLWINDOWEVENTS_ONBEFOREUNLOAD);
    events.fire(DISPID_HTMLWINDOWEVENTS_ONUNLOAD);
    events.unadviseAll();
}

bool BridgePage::isGone() const
{
    return state_->gone;
}

std::size_t BridgePage::advisedSinkCount() const
{
    return window_->events().sinkCount();
}

} // namespace quillbrook::bridge
