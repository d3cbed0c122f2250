#include "service/service_class.h"

#include "service/service.h"

namespace quillbrook {

ClassRegistration registerServiceClass()
{
    return registerClass(serviceClassInfo(), [] { return std::make_shared<CService>(); });
}

} // namespace quillbrook
