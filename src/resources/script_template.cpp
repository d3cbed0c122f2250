#include "resources/script_template.h"

namespace quillbrook {
namespace {

constexpr std::string_view kMenuScriptTemplate =
    "<html>\r\n"
    "<head>\r\n"
    "<meta http-equiv=\"content-type\" content=\"text/html; charset=Shift_JIS\" />\r\n"
    "</head>\r\n"
    "<body>\r\n"
    "<script language=\"JavaScript\" type=\"text/javascript\">\r\n"
    "<!--\r\n"
    "\tvar srv=new ActiveXObject(\"Quillbrook.Service\");\r\n"
    "\tsrv.LoadFromMenuExt(\"%s\");\r\n"
    "\r\n"
    "\tvar win=external;\r\n"
    "\tvar hel=external.menuArguments.event.srcElement;\r\n"
    "\tsrv.Register(hel);\r\n"
    "-->\r\n"
    "</script>\r\n"
    "</body>\r\n"
    "</html>";

static_assert(kMenuScriptTemplate.size() == 375);

} // namespace

std::string_view menuScriptTemplate()
{
    return kMenuScriptTemplate;
}

} // namespace quillbrook
