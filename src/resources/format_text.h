// Fills the "%s" of a resource text with arguments, in order, as the texts' printf formats were
// used; a "%s" without an argument is left as it is.
#pragma once

#include <QString>
#include <initializer_list>
#include <string>
#include <string_view>

namespace quillbrook {

QString formatText(QStringView format, std::initializer_list<QStringView> arguments);
std::string formatText(std::string_view format, std::initializer_list<std::string_view> arguments);

} // namespace quillbrook
