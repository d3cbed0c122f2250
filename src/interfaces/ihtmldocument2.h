// IHTMLDocument2: the browser's interface of a page's document. The system reads the title and the
// address for the temporary file's name and the window for the page's unload events. The interface
// id is the browser's; the DISPIDs are chosen by this system.
#pragma once

#include "automation/dispatchable.h"
#include "automation/interface_info.h"

#include <QString>
#include <memory>

namespace quillbrook {

inline constexpr Guid IID_IHTMLDocument2 = *Guid::parse("{332C4425-26CB-11D0-B483-00C04FD90119}");

class IHTMLDocument2 : public Dispatchable {
public:
    // A page without a title string answers the null string, which is not the empty title.
    [[nodiscard]] virtual HRESULT get_title(QString* p) = 0;
    [[nodiscard]] virtual HRESULT get_URL(QString* p) = 0;
    // The page's window, which answers IConnectionPointContainer.
    [[nodiscard]] virtual HRESULT get_parentWindow(std::shared_ptr<Dispatchable>* p) = 0;

    const InterfaceInfo& typeInfo() const override;
    static const InterfaceInfo& interfaceInfo();
};

} // namespace quillbrook
