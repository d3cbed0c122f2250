#include "support/page_bus/served_page.h"

#include <gtest/gtest.h>

namespace quillbrook::testing {

ServedPage::ServedPage(QDBusConnection connection, std::shared_ptr<TestPage> page)
    : page_(std::move(page)),
      server_(std::move(connection),
              QStringLiteral("/org/fernhollow/TestPage/%1").arg(reinterpret_cast<quintptr>(this), 0, 16))
{
    if (!server_.error().isEmpty())
        ADD_FAILURE() << server_.error().toStdString();
}

ServedPage::~ServedPage() = default;

bus::ObjectReference ServedPage::referenceOf(const std::shared_ptr<Dispatchable>& object)
{
    return server_.referenceOf(object);
}

} // namespace quillbrook::testing
