#include "interfaces/ifileopenservice.h"

#include "automation/member_table.h"

namespace quillbrook {

namespace {

using F = IFileOpenService;

constexpr auto kFileOpenServiceMembers =
    memberTable(property<&F::get_Registered, &F::put_Registered>(u"Registered", 1, u"プロパティRegistered"),
                property<&F::get_Extensions, &F::put_Extensions>(u"Extensions", 2, u"プロパティExtensions"),
                property<&F::get_OpeningFile, &F::put_OpeningFile>(u"OpeningFile", 3, u"プロパティOpeningFile"),
                method<&F::OpenFile>(u"OpenFile", 4, {{u"TextAreaElement"}}, u"メソッドOpenFile"));

constexpr InterfaceInfo kIFileOpenService{u"IFileOpenService", IID_IFileOpenService,
                                          u"IFileOpenService インターフェイス", true, kFileOpenServiceMembers};

constexpr InterfaceInfo kIFileOpenServiceEvents{
    u"_IFileOpenServiceEvents", DIID__IFileOpenServiceEvents, u"_IFileOpenServiceEvents インターフェイス", false, {}};

constexpr ClassInfo kCFileOpenService{u"CFileOpenService",
                                      CLSID_CFileOpenService,
                                      u"FileOpenService Class",
                                      u"Quillbrook.FileOpenService",
                                      u"Quillbrook.FileOpenService.1",
                                      u"CFileOpenService Object",
                                      &kIFileOpenService,
                                      &kIFileOpenServiceEvents};

} // namespace

const InterfaceInfo& IFileOpenService::typeInfo() const
{
    return kIFileOpenService;
}

const InterfaceInfo& IFileOpenService::interfaceInfo()
{
    return kIFileOpenService;
}

const ClassInfo& fileOpenServiceClassInfo()
{
    return kCFileOpenService;
}

std::shared_ptr<IFileOpenService> asFileOpenService(const std::shared_ptr<Dispatchable>& object)
{
    return std::dynamic_pointer_cast<IFileOpenService>(object);
}

} // namespace quillbrook
