#include "automation/interface_info.h"

namespace quillbrook {

const MemberInfo* InterfaceInfo::findByName(QStringView memberName) const
{
    for (const MemberInfo& member : members) {
        if (QStringView(member.name).compare(memberName, Qt::CaseInsensitive) == 0)
            return &member;
    }
    return nullptr;
}

} // namespace quillbrook
