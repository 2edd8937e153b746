#include "accessible_name.h"

#include "com_ptr.h"
#include "system_library.h"

#include <utility>

namespace karvolt {
namespace {

constexpr wchar_t kProperty[] = L"KarvoltAccessibleName";

using CreateStdAccessibleObjectFunction = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
using LresultFromObjectFunction = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);

struct Oleacc {
    CreateStdAccessibleObjectFunction createStdAccessibleObject;
    LresultFromObjectFunction lresultFromObject;
};

// Looked up on the first request for an object: a player without assistive technology
// never loads oleacc.dll.
const Oleacc& OleaccFunctions()
{
    static const Oleacc oleacc{
        SystemFunction<CreateStdAccessibleObjectFunction>(L"oleacc.dll", "CreateStdAccessibleObject"),
        SystemFunction<LresultFromObjectFunction>(L"oleacc.dll", "LresultFromObject")};
    return oleacc;
}

// CHILDID_SELF, or no child given at all, as a late-bound call without the argument has it.
bool IsSelf(const VARIANT& child)
{
    return (child.vt == VT_I4 && child.lVal == CHILDID_SELF) || child.vt == VT_EMPTY ||
           (child.vt == VT_ERROR && child.scode == DISP_E_PARAMNOTFOUND);
}

// The standard object under another name and role; every other question goes to it.
class RenamedAccessible final : public IAccessible {
public:
    RenamedAccessible(ComPtr<IAccessible> standard, const AccessibleName& name)
        : standard_(std::move(standard)), name_(name)
    {
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        // Only interfaces of this object. The standard object's others (IEnumVARIANT,
        // IOleWindow, IServiceProvider) would lead back to it rather than here, against COM
        // identity; clients do without them, through get_accChild and get_accParent.
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
            *object = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    STDMETHODIMP_(ULONG) Release() override
    {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }

    STDMETHODIMP GetTypeInfoCount(UINT* count) override { return standard_->GetTypeInfoCount(count); }
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override
    {
        return standard_->GetTypeInfo(index, locale, info);
    }
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override
    {
        return standard_->GetIDsOfNames(iid, names, count, locale, ids);
    }
    // Late-bound calls come back to this object's methods, so they hear the same name.
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID locale, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) override
    {
        ComPtr<ITypeInfo> info;
        const HRESULT found = standard_->GetTypeInfo(0, locale, info.Receive());
        if (FAILED(found))
            return found;
        return DispInvoke(static_cast<IAccessible*>(this), info.Get(), id, flags, parameters, result,
                          exception, argumentError);
    }

    STDMETHODIMP get_accName(VARIANT child, BSTR* name) override
    {
        if (!IsSelf(child))
            return standard_->get_accName(child, name);
        if (!name)
            return E_POINTER;
        *name = SysAllocString(name_.name);
        return *name ? S_OK : E_OUTOFMEMORY;
    }
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override
    {
        if (!name_.role || !IsSelf(child))
            return standard_->get_accRole(child, role);
        if (!role)
            return E_POINTER;
        role->vt = VT_I4;
        role->lVal = name_.role;
        return S_OK;
    }

    STDMETHODIMP get_accParent(IDispatch** parent) override { return standard_->get_accParent(parent); }
    STDMETHODIMP get_accChildCount(LONG* count) override { return standard_->get_accChildCount(count); }
    STDMETHODIMP get_accChild(VARIANT child, IDispatch** object) override
    {
        return standard_->get_accChild(child, object);
    }
    STDMETHODIMP get_accValue(VARIANT child, BSTR* value) override { return standard_->get_accValue(child, value); }
    STDMETHODIMP get_accDescription(VARIANT child, BSTR* text) override
    {
        return standard_->get_accDescription(child, text);
    }
    STDMETHODIMP get_accState(VARIANT child, VARIANT* state) override
    {
        return standard_->get_accState(child, state);
    }
    STDMETHODIMP get_accHelp(VARIANT child, BSTR* help) override { return standard_->get_accHelp(child, help); }
    STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override
    {
        return standard_->get_accHelpTopic(file, child, topic);
    }
    STDMETHODIMP get_accKeyboardShortcut(VARIANT child, BSTR* keys) override
    {
        return standard_->get_accKeyboardShortcut(child, keys);
    }
    STDMETHODIMP get_accFocus(VARIANT* focus) override { return standard_->get_accFocus(focus); }
    STDMETHODIMP get_accSelection(VARIANT* selection) override { return standard_->get_accSelection(selection); }
    STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* action) override
    {
        return standard_->get_accDefaultAction(child, action);
    }
    STDMETHODIMP accSelect(LONG flags, VARIANT child) override { return standard_->accSelect(flags, child); }
    STDMETHODIMP accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override
    {
        return standard_->accLocation(left, top, width, height, child);
    }
    STDMETHODIMP accNavigate(LONG direction, VARIANT start, VARIANT* end) override
    {
        return standard_->accNavigate(direction, start, end);
    }
    STDMETHODIMP accHitTest(LONG left, LONG top, VARIANT* child) override
    {
        return standard_->accHitTest(left, top, child);
    }
    STDMETHODIMP accDoDefaultAction(VARIANT child) override { return standard_->accDoDefaultAction(child); }
    STDMETHODIMP put_accName(VARIANT child, BSTR name) override { return standard_->put_accName(child, name); }
    STDMETHODIMP put_accValue(VARIANT child, BSTR value) override { return standard_->put_accValue(child, value); }

private:
    ~RenamedAccessible() = default;

    LONG references_ = 1;
    ComPtr<IAccessible> standard_;
    AccessibleName name_;
};

// Held by a named control from SetAccessibleName until WM_NCDESTROY.
struct NamedControl {
    explicit NamedControl(const AccessibleName& given) : name(given) {}
    ~NamedControl()
    {
        // Clients may still hold the object: cut them off, so it goes with the window.
        if (object.Get())
            CoDisconnectObject(object.Get(), 0);
    }

    // Zero leaves the request to the default processing.
    LRESULT Answer(HWND window, WPARAM wParam)
    {
        const Oleacc& oleacc = OleaccFunctions();
        if (!oleacc.createStdAccessibleObject || !oleacc.lresultFromObject)
            return 0;
        if (!object.Get()) {
            ComPtr<IAccessible> standard;
            if (FAILED(oleacc.createStdAccessibleObject(window, OBJID_CLIENT, __uuidof(IAccessible),
                                                        standard.ReceiveVoid())))
                return 0;
            *object.Receive() = new RenamedAccessible(std::move(standard), name);
        }
        const LRESULT answer = oleacc.lresultFromObject(__uuidof(IAccessible), wParam, object.Get());
        return answer > 0 ? answer : 0;
    }

    WNDPROC original = nullptr;
    AccessibleName name;
    ComPtr<IAccessible> object; // made on the first request, then handed out again
};

LRESULT CALLBACK NamedControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* named = static_cast<NamedControl*>(GetPropW(window, kProperty));
    const WNDPROC original = named->original;
    switch (message) {
    case WM_GETOBJECT:
        if (static_cast<LONG>(lParam) == OBJID_CLIENT) {
            if (const LRESULT answer = named->Answer(window, wParam))
                return answer;
        }
        break;
    case WM_NCDESTROY:
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        RemovePropW(window, kProperty);
        delete named;
        break;
    }
    return CallWindowProcW(original, window, message, wParam, lParam);
}

} // namespace

void SetAccessibleName(HWND control, const AccessibleName& name)
{
    auto* named = new NamedControl(name);
    if (SetPropW(control, kProperty, named)) {
        named->original = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(NamedControlProc)));
        if (named->original)
            return;
        RemovePropW(control, kProperty);
    }
    delete named;
}

} // namespace karvolt
