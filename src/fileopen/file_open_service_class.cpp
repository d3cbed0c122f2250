#include "fileopen/file_open_service_class.h"

#include "fileopen/file_open_service.h"

namespace quillbrook {

ClassRegistration registerFileOpenServiceClass()
{
    return registerClass(fileOpenServiceClassInfo(), [] { return std::make_shared<CFileOpenService>(); });
}

} // namespace quillbrook
