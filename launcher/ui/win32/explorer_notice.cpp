#include "launcher/ui/win32/explorer_notice.h"

#include <exdispid.h>
#include <ocidl.h>

#include <vector>

namespace veltharn {

// The container side of in-place activation: the client site, the in-place site and a frame
// that has no menus or tools to share. Its lifetime is the panel's.
class NoticeSite final : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame {
 public:
  explicit NoticeSite(HWND host) : host_(host) {}

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
      *object = static_cast<IOleClientSite*>(this);
    } else if (iid == IID_IOleInPlaceSite || iid == IID_IOleWindow) {
      *object = static_cast<IOleInPlaceSite*>(this);
    } else if (iid == IID_IOleInPlaceFrame || iid == IID_IOleInPlaceUIWindow) {
      *object = static_cast<IOleInPlaceFrame*>(this);
    } else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }

  // IOleClientSite
  STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP GetContainer(IOleContainer** container) override {
    *container = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow (shared by the site and the frame)
  STDMETHODIMP GetWindow(HWND* window) override {
    *window = host_;
    return S_OK;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnUIActivate() override { return S_OK; }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
    *frame = static_cast<IOleInPlaceFrame*>(this);
    *document = nullptr;
    GetClientRect(host_, position);
    GetClientRect(host_, clip);
    info->fMDIApp = FALSE;
    info->hwndFrame = GetParent(host_);
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
  }
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
  STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
  STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
  STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

  // IOleInPlaceUIWindow / IOleInPlaceFrame: no border space, menus or accelerators to share.
  STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return S_OK; }
  STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  STDMETHODIMP RemoveMenus(HMENU) override { return S_OK; }
  STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

 private:
  HWND host_;
};

STDMETHODIMP NoticeEventSink::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IDispatch || iid == DIID_DWebBrowserEvents2) {
    *object = static_cast<IDispatch*>(this);
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP NoticeEventSink::GetTypeInfoCount(UINT* count) {
  if (count != nullptr) *count = 0;
  return S_OK;
}

STDMETHODIMP NoticeEventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                                     EXCEPINFO*, UINT*) {
  if (events_ == nullptr) return S_OK;
  switch (id) {
    case DISPID_NAVIGATECOMPLETE2:
      events_->OnNoticeLoaded();
      break;
    case DISPID_NAVIGATEERROR:
      // The cancel flag stays as the control set it.
      events_->OnNoticeFailed();
      break;
  }
  return S_OK;
}

bool CExplorernotice::ControlAvailable() {
  IOleObject* object = nullptr;
  if (FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                              reinterpret_cast<void**>(&object)))) {
    return false;
  }
  object->Release();
  return true;
}

CExplorernotice::CExplorernotice() = default;

CExplorernotice::~CExplorernotice() {
  Destroy();
}

bool CExplorernotice::Create(HWND host, NoticeEvents* events) {
  Destroy();
  host_ = host;
  site_ = new NoticeSite(host);
  sink_ = new NoticeEventSink(events);
  if (FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                              reinterpret_cast<void**>(&object_)))) {
    object_ = nullptr;
    Destroy();
    return false;
  }
  RECT area;
  GetClientRect(host, &area);
  if (FAILED(object_->SetClientSite(static_cast<IOleClientSite*>(site_))) ||
      FAILED(object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(site_),
                             0, host, &area)) ||
      FAILED(object_->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&browser_)))) {
    browser_ = nullptr;
    Destroy();
    return false;
  }
  IConnectionPointContainer* points = nullptr;
  if (SUCCEEDED(object_->QueryInterface(IID_IConnectionPointContainer,
                                        reinterpret_cast<void**>(&points)))) {
    if (SUCCEEDED(points->FindConnectionPoint(DIID_DWebBrowserEvents2, &eventPoint_)) &&
        FAILED(eventPoint_->Advise(sink_, &eventCookie_))) {
      eventPoint_->Release();
      eventPoint_ = nullptr;
    }
    points->Release();
  }
  if (eventPoint_ == nullptr) {
    // A panel that cannot tell when its page has loaded would never be shown.
    Destroy();
    return false;
  }
  return true;
}

void CExplorernotice::Destroy() {
  if (sink_ != nullptr) sink_->Disconnect();
  if (eventPoint_ != nullptr) {
    eventPoint_->Unadvise(eventCookie_);
    eventPoint_->Release();
    eventPoint_ = nullptr;
  }
  if (browser_ != nullptr) {
    browser_->Release();
    browser_ = nullptr;
  }
  if (object_ != nullptr) {
    object_->Close(OLECLOSE_NOSAVE);
    object_->SetClientSite(nullptr);
    object_->Release();
    object_ = nullptr;
  }
  delete sink_;
  sink_ = nullptr;
  delete site_;
  site_ = nullptr;
}

bool CExplorernotice::SetVisible(bool visible) {
  return browser_ != nullptr &&
         SUCCEEDED(browser_->put_Visible(visible ? VARIANT_TRUE : VARIANT_FALSE));
}

std::optional<SIZE> CExplorernotice::Size() {
  long width = 0;
  long height = 0;
  if (browser_ == nullptr || FAILED(browser_->get_Width(&width)) ||
      FAILED(browser_->get_Height(&height))) {
    return std::nullopt;
  }
  return SIZE{width, height};
}

void CExplorernotice::FitToHost() {
  if (object_ == nullptr) return;
  IOleInPlaceObject* inPlace = nullptr;
  if (SUCCEEDED(
          object_->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace)))) {
    RECT area;
    GetClientRect(host_, &area);
    inPlace->SetObjectRects(&area, &area);
    inPlace->Release();
  }
}

bool CExplorernotice::Navigate(const std::string& url) {
  if (browser_ == nullptr) return false;
  const int length = MultiByteToWideChar(CP_ACP, 0, url.c_str(), -1, nullptr, 0);
  if (length <= 0) return false;
  std::vector<wchar_t> wide(static_cast<size_t>(length));
  MultiByteToWideChar(CP_ACP, 0, url.c_str(), -1, wide.data(), length);
  BSTR address = SysAllocString(wide.data());
  if (address == nullptr) return false;
  VARIANT empty;
  VariantInit(&empty);
  const HRESULT result = browser_->Navigate(address, &empty, &empty, &empty, &empty);
  SysFreeString(address);
  return SUCCEEDED(result);
}

}  // namespace veltharn
