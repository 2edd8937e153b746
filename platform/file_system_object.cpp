#include "file_system_object.h"

#include "com_ptr.h"

namespace karvolt {
namespace {

class FileSystemObjectTest final : public FileExistenceTest {
public:
    explicit FileSystemObjectTest(ComPtr<IDispatch> fileSystem) : fileSystem_(std::move(fileSystem)) {}

    std::optional<bool> FileExists(const std::wstring& path) override
    {
        wchar_t methodName[] = L"FileExists";
        LPOLESTR names[] = {methodName};
        DISPID method = 0;
        if (FAILED(fileSystem_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &method)))
            return std::nullopt;

        const Bstr pathText(path.data(), static_cast<UINT>(path.size()));
        VARIANTARG argument;
        VariantInit(&argument);
        argument.vt = VT_BSTR;
        argument.bstrVal = pathText.Get();
        DISPPARAMS parameters{&argument, nullptr, 1, 0};

        ScopedVariant answer;
        ScopedVariant asBoolean;
        if (FAILED(fileSystem_->Invoke(method, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                       &parameters, &answer, nullptr, nullptr)) ||
            FAILED(VariantChangeType(&asBoolean, &answer, 0, VT_BOOL)))
            return std::nullopt;
        return asBoolean.boolVal != VARIANT_FALSE;
    }

private:
    ComPtr<IDispatch> fileSystem_;
};

} // namespace

std::unique_ptr<FileExistenceTest> CreateFileSystemObjectTest()
{
    CLSID classId{};
    ComPtr<IDispatch> fileSystem;
    if (FAILED(CLSIDFromProgID(L"Scripting.FileSystemObject", &classId)) ||
        FAILED(CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                fileSystem.ReceiveVoid())))
        return nullptr;
    return std::make_unique<FileSystemObjectTest>(std::move(fileSystem));
}

} // namespace karvolt
