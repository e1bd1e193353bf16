#pragma once

#include <exdisp.h>
#include <ole2.h>
#include <windows.h>

#include <optional>
#include <string>

namespace veltharn {

// What the notice panel reports from its page: the navigation completed, or it failed (for the
// page or any of its frames).
class NoticeEvents {
 public:
  virtual ~NoticeEvents() = default;
  virtual void OnNoticeLoaded() = 0;
  virtual void OnNoticeFailed() = 0;
};

// The sink of DWebBrowserEvents2: NavigateComplete2 (252) and NavigateError (271) go to the
// events; every other dispatch id is ignored. Its lifetime is its owner's (reference counts are
// not used to free it).
class NoticeEventSink final : public IDispatch {
 public:
  explicit NoticeEventSink(NoticeEvents* events) : events_(events) {}
  void Disconnect() { events_ = nullptr; }

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                      UINT*) override;

 private:
  NoticeEvents* events_;
};

class NoticeSite;

// The notice panel: the WebBrowser control (CLSID {8856F961-340A-11D0-A96B-00C04FD705A2})
// activated in place inside a host window, which the caller owns and places. Every call into the
// control is guarded: a failure answers false and the caller stops using the panel. COM must be
// initialised on the thread (OleInitialize) for as long as the panel lives.
class CExplorernotice {
 public:
  CExplorernotice();
  ~CExplorernotice();
  CExplorernotice(const CExplorernotice&) = delete;
  CExplorernotice& operator=(const CExplorernotice&) = delete;

  // Creates the control inside `host`, sized to its client area, and sends its page events to
  // `events` (null: none). False when the control cannot be created or activated.
  bool Create(HWND host, NoticeEvents* events);
  // Whether the control can be made at all: created and released again, without a window.
  [[nodiscard]] static bool ControlAvailable();
  void Destroy();
  [[nodiscard]] bool created() const { return browser_ != nullptr; }
  [[nodiscard]] HWND host() const { return host_; }

  bool SetVisible(bool visible);
  // The control's size in pixels.
  [[nodiscard]] std::optional<SIZE> Size();
  // Resizes the control to the host's client area (after the host moved).
  void FitToHost();
  bool Navigate(const std::string& url);

 private:
  HWND host_ = nullptr;
  NoticeSite* site_ = nullptr;
  NoticeEventSink* sink_ = nullptr;
  IOleObject* object_ = nullptr;
  IWebBrowser2* browser_ = nullptr;
  IConnectionPoint* eventPoint_ = nullptr;
  DWORD eventCookie_ = 0;
};

}  // namespace veltharn
