// One page of the browser as the page interfaces show it to Quillbrook: the document (title and
// address), its window (a connection point container whose events go to advised sinks) and the
// elements the user ran a command on. The values are the ones the extension sent with the last
// command on the page; put_value asks the extension to write the element and keeps the new value.
// Over the bus, put_value answers when the extension has answered: a failure when the element left
// its document or the page went meanwhile.
//
// When the page goes away, unload() fires beforeunload (1017) and unload (1008) on every advised
// sink, once, and drops the sinks; from then on put_value fails with ERROR_NOT_READY and every
// getter keeps answering its last value.
#pragma once

#include "automation/dispatchable.h"
#include "platform/win32_error.h"

#include <QString>
#include <functional>
#include <map>
#include <memory>

namespace quillbrook::bridge {

// What put_value on a page that has gone away answers.
inline constexpr HRESULT E_PAGE_NOT_READY = static_cast<HRESULT>(0x80070015u);

enum class ElementKind { TextArea, TextInput, Other };

// The element as the extension describes it when a command is clicked. A null name: no NAME.
struct ElementSnapshot {
    QString id;
    ElementKind kind = ElementKind::Other;
    QString value;
    QString name;
    bool inForm = false;
    QString formName; // null: a form without a NAME
};

struct DocumentSnapshot {
    QString title;
    QString url;
};

// What a write answers once the browser has told whether the value reached its element.
using WriteDone = std::function<void(HRESULT result)>;
// Writes an element's value in the browser: (page id, element id, value, done); `done` may be
// empty when nobody waits for the answer.
using ValueWriter =
    std::function<void(const QString& page, const QString& element, const QString& value, WriteDone done)>;

// A text box facet whose write is answered only once the browser has answered it: what a caller
// on the bus gets, so that a value that did not arrive is known as such.
class ConfirmedValueWriter {
public:
    virtual void putValueConfirmed(const QString& value, WriteDone done) = 0;

protected:
    ~ConfirmedValueWriter() = default;
};

struct PageState;
class PageWindow;
class PageDocument;
class PageElement;

class BridgePage {
public:
    BridgePage(QString id, ValueWriter writer);
    ~BridgePage();
    BridgePage(const BridgePage&) = delete;
    BridgePage& operator=(const BridgePage&) = delete;

    const QString& id() const;

    // Takes the document's and the element's values as the extension sent them with a command and
    // gives the element as a script receives it (its IDispatch). An element id seen before on
    // this page is the same object while its kind stays the same.
    std::shared_ptr<Dispatchable> element(const DocumentSnapshot& document, const ElementSnapshot& element);

    std::shared_ptr<Dispatchable> document() const;
    std::shared_ptr<Dispatchable> window() const;

    // The page has gone: fires beforeunload and unload, then drops the sinks. Only the first call
    // does anything.
    void unload();
    bool isGone() const;
    std::size_t advisedSinkCount() const;

private:
    std::shared_ptr<PageState> state_;
    std::shared_ptr<PageWindow> window_;
    std::shared_ptr<PageDocument> document_;
    std::map<QString, std::shared_ptr<PageElement>> elements_;
};

} // namespace quillbrook::bridge
