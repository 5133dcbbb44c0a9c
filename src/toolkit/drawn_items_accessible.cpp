#include "toolkit/drawn_items_accessible.h"

#include <oleauto.h>

#include <atomic>
#include <optional>

namespace toolkit {

namespace {

VARIANT Number(LONG value) {
  VARIANT result;
  VariantInit(&result);
  result.vt = VT_I4;
  result.lVal = value;
  return result;
}

HRESULT Text(const std::wstring& text, BSTR* result) {
  if (!result) return E_POINTER;
  *result = nullptr;
  if (text.empty()) return S_FALSE;
  *result = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *result ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

class DrawnItemsAccessible::Object final : public IAccessible {
 public:
  Object(HWND hwnd, DrawnItems& items, const wchar_t* name, DWORD role)
      : hwnd_(hwnd), items_(&items), name_(name), role_(role) {
    IAccessible* standard = nullptr;
    if (SUCCEEDED(CreateStdAccessibleObject(hwnd, OBJID_CLIENT, __uuidof(IAccessible),
                                            reinterpret_cast<void**>(&standard)))) {
      standard_.reset(standard);
    }
  }
  void Detach() {
    items_ = nullptr;
    standard_.reset();
  }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** result) override {
    if (!result) return E_POINTER;
    *result = nullptr;
    if (id != IID_IUnknown && id != IID_IDispatch && id != __uuidof(IAccessible)) return E_NOINTERFACE;
    *result = static_cast<IAccessible*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG left = --references_;
    if (!left) delete this;
    return left;
  }

  // IDispatch: screen readers call IAccessible directly.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    if (!parent) return E_POINTER;
    *parent = nullptr;
    return standard_ ? standard_.get()->get_accParent(parent) : RPC_E_DISCONNECTED;
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
    if (!count) return E_POINTER;
    if (!items_) return RPC_E_DISCONNECTED;
    *count = items_->ItemCount();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** result) override {
    if (!result) return E_POINTER;
    *result = nullptr;
    // The items are simple elements of this object, not objects of their own.
    return Index(child) ? S_FALSE : E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* result) override {
    return Answer(child, result, [&](int index) { return index < 0 ? name_ : items_->Item(index).name; });
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* result) override {
    return Answer(child, result, [](int) { return std::wstring(); });
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* result) override {
    return Answer(child, result,
                  [&](int index) { return index < 0 ? std::wstring() : items_->Item(index).description; });
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* result) override {
    if (!result) return E_POINTER;
    VariantInit(result);
    std::optional<int> index = Index(child);
    if (!index) return items_ ? E_INVALIDARG : RPC_E_DISCONNECTED;
    *result = Number(static_cast<LONG>(*index < 0 ? role_ : items_->Item(*index).role));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* result) override {
    if (!result) return E_POINTER;
    VariantInit(result);
    std::optional<int> index = Index(child);
    if (!index) return items_ ? E_INVALIDARG : RPC_E_DISCONNECTED;
    const bool focused = GetFocus() == hwnd_;
    DWORD state = STATE_SYSTEM_FOCUSABLE;
    if (*index < 0) {
      if (focused) state |= STATE_SYSTEM_FOCUSED;
    } else {
      state |= items_->Item(*index).state;
      if (focused && items_->FocusedItem() == *index) state |= STATE_SYSTEM_FOCUSED;
    }
    *result = Number(static_cast<LONG>(state));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* result) override { return Text({}, result); }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) override {
    if (file) *file = nullptr;
    if (topic) *topic = 0;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* result) override { return Text({}, result); }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* result) override {
    if (!result) return E_POINTER;
    VariantInit(result);
    if (!items_) return RPC_E_DISCONNECTED;
    if (GetFocus() != hwnd_) return S_FALSE;
    *result = Number(items_->FocusedItem() + 1);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* result) override {
    if (!result) return E_POINTER;
    VariantInit(result);
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* result) override {
    return Answer(child, result, [&](int index) { return index < 0 ? std::wstring() : items_->Item(index).action; });
  }
  HRESULT STDMETHODCALLTYPE accSelect(LONG, VARIANT) override { return DISP_E_MEMBERNOTFOUND; }
  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override {
    if (!left || !top || !width || !height) return E_POINTER;
    std::optional<int> index = Index(child);
    if (!index) return items_ ? E_INVALIDARG : RPC_E_DISCONNECTED;
    RECT place = {};
    if (*index < 0) {
      GetClientRect(hwnd_, &place);
    } else {
      place = items_->Item(*index).place;
    }
    MapWindowPoints(hwnd_, nullptr, reinterpret_cast<POINT*>(&place), 2);
    *left = place.left;
    *top = place.top;
    *width = place.right - place.left;
    *height = place.bottom - place.top;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* result) override {
    if (!result) return E_POINTER;
    VariantInit(result);
    std::optional<int> index = Index(start);
    if (!index) return items_ ? E_INVALIDARG : RPC_E_DISCONNECTED;
    const int count = items_->ItemCount();
    int to = -1;
    if (*index < 0) {
      if (direction == NAVDIR_FIRSTCHILD) to = 0;
      if (direction == NAVDIR_LASTCHILD) to = count - 1;
      if (to < 0) return standard_ ? standard_.get()->accNavigate(direction, start, result) : S_FALSE;
    } else if (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN) {
      to = *index + 1;
    } else if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP) {
      to = *index - 1;
    }
    if (to < 0 || to >= count) return S_FALSE;
    *result = Number(to + 1);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* result) override {
    if (!result) return E_POINTER;
    VariantInit(result);
    if (!items_) return RPC_E_DISCONNECTED;
    POINT point = {x, y};
    ScreenToClient(hwnd_, &point);
    RECT client = {};
    GetClientRect(hwnd_, &client);
    if (!PtInRect(&client, point)) return S_FALSE;
    *result = Number(CHILDID_SELF);
    for (int i = 0; i < items_->ItemCount(); ++i) {
      RECT place = items_->Item(i).place;
      if (PtInRect(&place, point)) *result = Number(i + 1);
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    std::optional<int> index = Index(child);
    if (!index) return items_ ? E_INVALIDARG : RPC_E_DISCONNECTED;
    if (*index < 0) return DISP_E_MEMBERNOTFOUND;
    items_->DoDefault(*index);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  // -1 for the window itself, the item's index for a child; nothing for a child that is not there or
  // once the window is gone.
  std::optional<int> Index(const VARIANT& child) const {
    if (!items_ || child.vt != VT_I4) return std::nullopt;
    if (child.lVal == CHILDID_SELF) return -1;
    if (child.lVal < 1 || child.lVal > items_->ItemCount()) return std::nullopt;
    return child.lVal - 1;
  }
  template <typename Read>
  HRESULT Answer(const VARIANT& child, BSTR* result, Read read) const {
    if (!result) return E_POINTER;
    *result = nullptr;
    std::optional<int> index = Index(child);
    if (!index) return items_ ? E_INVALIDARG : RPC_E_DISCONNECTED;
    return Text(read(*index), result);
  }

  std::atomic<ULONG> references_{1};
  HWND hwnd_;
  DrawnItems* items_;
  std::wstring name_;
  DWORD role_;
  platform::ComPtr<IAccessible> standard_;
};

LRESULT DrawnItemsAccessible::Answer(HWND hwnd, DrawnItems& items, const wchar_t* name, DWORD role, WPARAM wParam,
                                     LPARAM lParam) {
  if (static_cast<LONG>(lParam) != static_cast<LONG>(OBJID_CLIENT))
    return DefWindowProcW(hwnd, WM_GETOBJECT, wParam, lParam);
  if (!object_) object_ = new Object(hwnd, items, name, role);
  return LresultFromObject(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(object_));
}

void DrawnItemsAccessible::Detach() {
  if (!object_) return;
  object_->Detach();
  object_->Release();
  object_ = nullptr;
}

void DrawnItemsAccessible::NotifyFocus(HWND hwnd, int index) {
  NotifyWinEvent(EVENT_OBJECT_FOCUS, hwnd, OBJID_CLIENT, index + 1);
}

void DrawnItemsAccessible::NotifyState(HWND hwnd, int index) {
  NotifyWinEvent(EVENT_OBJECT_STATECHANGE, hwnd, OBJID_CLIENT, index + 1);
}

}  // namespace toolkit
